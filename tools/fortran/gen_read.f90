! Formatted READ expectations for internal records. Regenerate all with tools/fortran/generate.sh.
! Each case: "#read <format><TAB><target types><TAB><record>", then "=" and the
! values read, or "ERR" when gfortran reports an error.
program gen_read
  use case_items
  implicit none
  character(12), parameter :: ftexts(56) = [character(12) :: '   1234', '  12.34', '1234   ', &
       ' 1 2 3 4', '       ', '-1.5e+3', '1.5+3', '1.5-3', '1.5d2', '1.5E2', '1.5e 2', '  -.5  ', &
       '  +.5', '   -  ', '  .   ', 'abc', '1.2.3', '1-2', 'inf', 'nan', 'Infinity', '1e', 'e5', &
       '1.5q2', '12345678', '  1,2', '1.5E+03', '+1.', '-0', '1.5e', '1.5e+', '  1 . 5', '5.', &
       '0.05', ' -12', '1.5D-2', '1.e3', '.5e1', '1 e 3', '-', '+', 'e', '1.5e3.', '12a', &
       ' 0.1234567', '-123456', '1234567', '.', ' - 1', '1.5E', '1+', '9e99', '-9e99', '1e-50', &
       '3.4e38', 'NaN']
  character(8), parameter :: ffmts(6) = [character(8) :: '(f7.2)', '(f7.0)', '(F7.3)', '(f10.5)', &
       '(f3.1)', '(f9.6)']
  character(12), parameter :: itexts(26) = [character(12) :: '   12', '  -12', '12   ', ' 1 2 ', &
       '     ', '  1.5', ' 1e3', '  +7', '   - ', 'abc', '99999', '1 ', '-', '+', ' +-1', '1-', &
       '0', '   -0', '2147483647', '-2147483648', '2147483648', '  12x', '1,2', ' 0012', '-2147483649', ' 99999999999']
  character(6), parameter :: ifmts(4) = [character(6) :: '(i5)', '(I2)', '(i1)', '(i10)']
  character(80) :: line
  integer :: i, j

  do i = 1, size(ffmts)
    do j = 1, size(ftexts)
      call rd_f(trim(ffmts(i)), trim(ftexts(j)), 1)
    end do
  end do
  call rd_f('(f7.2)', '  12.34  ', 1)
  call rd_f('(f7.2)', '', 1)
  do i = 1, size(ifmts)
    do j = 1, size(itexts)
      call rd_i(trim(ifmts(i)), trim(itexts(j)), 1)
    end do
  end do
  call rd_i('(I2)', '', 1)
  call rd_i('(I2)', ' 3', 1)

  line = 'CRYST1   50.840   42.770   28.950  90.00  90.00  90.00 P 21 21 21    4'
  call rd_cryst('(6x,3f9.3,3f7.2,x,a10)', trim(line))
  call rd_cryst('(6x,3f9.3,3f7.2,x,a10)', 'CRYST1   50.840   42.770')
  call rd_cryst('(6x,3f9.3,3f7.2,x,a10)', 'CRYST1   50.840   42.770   28.950  90.00  90.00  90.00 P')
  call rd_cryst('(6x,3f9.3,3f7.2,x,a10)', 'CRYST1    1.000    1.000    1.000  90.00  90.00 120.00 P 1')
  line = 'SCALE1      0.019670  0.000000  0.000000        0.00000'
  call rd_f('(6x,4x,3(f10.6),5x,f10.5)', trim(line), 4)
  line = 'MTRIX1   1  1.000000  0.000000  0.000000        0.00000    1'
  call rd_mtrix('(10x,3f10.6,5x,f10.5,4x,i1)', trim(line))
  line = 'MTRIX2   2 -0.500000 -0.866025  0.000000       12.34500'
  call rd_mtrix('(10x,3f10.6,5x,f10.5,4x,i1)', trim(line))
  line = 'REMARK 290   SMTRY1   2 -1.000000  0.000000  0.000000       25.42000'
  call rd_f('(24x,3(f9.6,x),4x,f10.5)', trim(line), 4)
  line = 'REMARK 350   BIOMT3   1  0.000000  0.000000  1.000000        0.00000'
  call rd_f('(24x,3(f9.6,x),4x,f10.5)', trim(line), 4)
  call rd_i('(I2)', ' 1', 1)
  call rd_i('(I2)', '12', 1)
  call rd_i('(I2)', '1 ', 1)
  call rd_atom('ATOM      1  N   MET A   1      27.340  24.430   2.614  1.00  9.67           N')
  call rd_atom('HETATM 1234  O  AHOH B 101A     -1.234-123.456 999.999  0.50 99.99          O1-')
  call rd_atom('ATOM      1  N   MET A   1      27.340  24.430')
  call rd_atom('ATOM      1  N   MET A   1      27.340  24.4x0   2.614  1.00  9.67           N')
  call rd_atom('ATOM  99999 CA   ALA A9999    9999.99')
  call rd_a('(a6)', 'ATOM  12', 6)
  call rd_a('(a)', 'ATOM  12', 4)
  call rd_a('(a)', 'AT', 4)
  call rd_a('(a10)', 'abcdefghijkl', 4)
  call rd_a('(a2)', 'abcdefghijkl', 4)
  call rd_a('(x,a3)', 'abcdefghijkl', 3)
  call rd_a('(2x,a)', 'abcdefghijkl', 5)
  call rd_a('(a80)', 'short', 80)
  call rd_f('(3f4.1)', ' 1.0 2.0 3.0', 3)
  call rd_f('(2(x,f3.1))', ' 1.0 2.0', 2)
  call rd_f('(F5.1,2X,f4.1)', '  1.5xx 2.5', 2)
  call rd_f('(f4.1,2x,f4.1)', '  1.5xx 2.5', 2)
  call rd_f('(4x,f4.1)', 'abcd 1.5', 1)
  call real_records()
contains
  ! Records of real PDB files (the path is the first argument), each read
  ! with the format its reader uses.
  subroutine real_records()
    character(256) :: path
    character(80) :: rec
    integer :: u, ios
    call get_command_argument(1, path)
    if (len_trim(path) == 0) return
    open(newunit=u, file=trim(path), status='old', action='read')
    do
      read(u, '(a80)', iostat=ios) rec
      if (ios /= 0) exit
      if (rec(1:6) == 'CRYST1') then
        call rd_cryst('(6x,3f9.3,3f7.2,x,a10)', rec)
      else if (rec(1:5) == 'SCALE') then
        call rd_f('(6x,4x,3(f10.6),5x,f10.5)', rec, 4)
      else if (rec(1:5) == 'MTRIX') then
        call rd_mtrix('(10x,3f10.6,5x,f10.5,4x,i1)', rec)
      else if (rec(1:6) == 'REMARK') then
        call rd_f('(24x,3(f9.6,x),4x,f10.5)', rec, 4)
      else
        call rd_atom(rec)
      end if
    end do
    close(u)
  end subroutine
  subroutine header(fmt, types, rec)
    character(*), intent(in) :: fmt, types, rec
    write(*, '(a)') '#read ' // fmt // achar(9) // types // achar(9) // rec
  end subroutine
  subroutine rd_f(fmt, rec, k)
    character(*), intent(in) :: fmt, rec
    integer, intent(in) :: k
    real :: x(k)
    integer :: ios, m
    character(len=:), allocatable :: s, t
    t = 'f'
    do m = 2, k
      t = t // ' f'
    end do
    call header(fmt, t, rec)
    x = -777.0
    read(rec, fmt, iostat=ios) x
    if (ios /= 0) then
      write(*, '(a)') 'ERR'
      return
    end if
    s = '='
    do m = 1, k
      s = s // ' ' // it_r(x(m))
    end do
    write(*, '(a)') s
  end subroutine
  subroutine rd_i(fmt, rec, k)
    character(*), intent(in) :: fmt, rec
    integer, intent(in) :: k
    integer :: x(k)
    integer :: ios, m
    character(len=:), allocatable :: s, t
    t = 'i'
    do m = 2, k
      t = t // ' i'
    end do
    call header(fmt, t, rec)
    x = -777
    read(rec, fmt, iostat=ios) x
    if (ios /= 0) then
      write(*, '(a)') 'ERR'
      return
    end if
    s = '='
    do m = 1, k
      s = s // ' ' // it_i(x(m))
    end do
    write(*, '(a)') s
  end subroutine
  subroutine rd_a(fmt, rec, k)
    character(*), intent(in) :: fmt, rec
    integer, intent(in) :: k
    character(k) :: x
    integer :: ios
    character(16) :: t
    write(t, '(a,i0)') 'a', k
    call header(fmt, trim(t), rec)
    x = repeat('#', k)
    read(rec, fmt, iostat=ios) x
    if (ios /= 0) then
      write(*, '(a)') 'ERR'
      return
    end if
    write(*, '(a)') '= ' // it_s(x)
  end subroutine
  subroutine rd_cryst(fmt, rec)
    character(*), intent(in) :: fmt, rec
    real :: x(6)
    character(10) :: sg
    integer :: ios, m
    character(len=:), allocatable :: s
    call header(fmt, 'f f f f f f a10', rec)
    read(rec, fmt, iostat=ios) x(1:3), x(4:6), sg
    if (ios /= 0) then
      write(*, '(a)') 'ERR'
      return
    end if
    s = '='
    do m = 1, 6
      s = s // ' ' // it_r(x(m))
    end do
    write(*, '(a)') s // ' ' // it_s(sg)
  end subroutine
  subroutine rd_mtrix(fmt, rec)
    character(*), intent(in) :: fmt, rec
    real :: x(4)
    integer :: g, ios, m
    character(len=:), allocatable :: s
    call header(fmt, 'f f f f i', rec)
    read(rec, fmt, iostat=ios) x, g
    if (ios /= 0) then
      write(*, '(a)') 'ERR'
      return
    end if
    s = '='
    do m = 1, 4
      s = s // ' ' // it_r(x(m))
    end do
    write(*, '(a)') s // ' ' // it_i(g)
  end subroutine
  subroutine rd_atom(rec)
    character(*), intent(in) :: rec
    character(*), parameter :: fmt = '(a6,i5,1x,a4,a1,a3,1x,a1,i4,4x,3(f8.3),2(f6.2),10x,a2)'
    character(6) :: recname
    character(4) :: atname
    character(1) :: altloc, chain
    character(3) :: resname
    character(2) :: element
    integer :: serial, resseq, ios, m
    real :: xyz(3), occ, b
    character(len=:), allocatable :: s
    call header(fmt, 'a6 i a4 a1 a3 a1 i f f f f f a2', rec)
    read(rec, fmt, iostat=ios) recname, serial, atname, altloc, resname, chain, resseq, xyz, occ, b, element
    if (ios /= 0) then
      write(*, '(a)') 'ERR'
      return
    end if
    s = '= ' // it_s(recname) // ' ' // it_i(serial) // ' ' // it_s(atname) // ' ' // it_s(altloc) // ' ' // &
        it_s(resname) // ' ' // it_s(chain) // ' ' // it_i(resseq)
    do m = 1, 3
      s = s // ' ' // it_r(xyz(m))
    end do
    write(*, '(a)') s // ' ' // it_r(occ) // ' ' // it_r(b) // ' ' // it_s(element)
  end subroutine
end program
