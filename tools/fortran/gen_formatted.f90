! Formatted (edit-descriptor) output expectations. Regenerate all with tools/fortran/generate.sh.
program gen_formatted
  use, intrinsic :: ieee_arithmetic
  use case_items
  implicit none
  character(8), parameter :: ffmt(27) = [character(8) :: '(f4.0)', '(f4.1)', '(f4.2)', '(f5.2)', &
       '(f5.1)', '(f6.1)', '(f6.2)', '(f7.1)', '(f8.3)', '(f9.0)', '(f10.0)', '(f10.2)', '(f10.3)', &
       '(f12.1)', '(f12.2)', '(f12.3)', '(f3.1)', '(f2.1)', '(f1.0)', '(f2.0)', '(f3.0)', '(f5.0)', &
       '(f6.0)', '(F5.3)', '(f3.2)', '(f7.2)', '(f6.3)']
  character(6), parameter :: ifmt(10) = [character(6) :: '(i1)', '(i2)', '(i3)', '(i4)', '(i5)', &
       '(i6)', '(i10)', '(I11)', '(i12)', '(I2)']
  character(6), parameter :: afmt(7) = [character(6) :: '(a)', '(a1)', '(a3)', '(a6)', '(A10)', &
       '(a2)', '(a4)']
  character(12), parameter :: texts(7) = [character(12) :: '', 'x', 'abc', 'abcdef', 'abcdefghijkl', &
       'ab  ', ' ']
  integer, parameter :: tlen(7) = [0, 1, 3, 6, 12, 4, 1]
  integer, parameter :: ints(12) = [0, -1, 7, 9, 10, 99, -99, 100, 12345, -12345, 2147483647, &
       -2147483647 - 1]
  real :: v(64), pinf, qnan
  double precision :: dv(12)
  integer :: n, i, j

  pinf = ieee_value(pinf, ieee_positive_inf)
  qnan = ieee_value(qnan, ieee_quiet_nan)
  v(1:32) = [0.5, 0.005, -0.004, -0.005, 0.125, 0.375, 2.5, 9.995, 99.95, 999.95, 1000.0, 1e10, &
       -1.0, 0.05, 0.0, -0.0, 1.6, 1.0/3.0, -1.0/3.0, -0.05, 12.345, -12.345, 123456.789, pinf, &
       -pinf, qnan, transfer(1, 0.0), huge(1.0), 1e-20, -1e-20, 0.95, 9.5]
  v(33:64) = [-9.5, 99.5, -0.5, 0.45, 1e9, 1234567.125, 100.0, -99.99, 9.9999, 0.999, -0.999, &
       0.25, 0.75, 1.5, 3.5, -2.5, 0.0625, 5.0, 99.999, 999.999, -999.95, 0.9, -0.9, 9.0, &
       99.0, -99.0, 12.5, 0.6, 0.04, -0.04, 7.25, 1.05]
  n = 64
  do i = 1, size(ffmt)
    do j = 1, n
      call header(trim(ffmt(i)), it_r(v(j)))
      write(*, ffmt(i)) v(j)
    end do
  end do
  dv = [0.125d0, 2.5d0, -0.005d0, 1d0/3d0, 123456.789d0, -0.0d0, 1d20, 9.995d0, 0.5d0, 99.95d0, &
       1.6d0, -1d0]
  do i = 1, size(ffmt)
    do j = 1, size(dv)
      call header(trim(ffmt(i)), it_d(dv(j)))
      write(*, ffmt(i)) dv(j)
    end do
  end do
  do i = 1, size(ifmt)
    do j = 1, size(ints)
      call header(trim(ifmt(i)), it_i(ints(j)))
      write(*, ifmt(i)) ints(j)
    end do
  end do
  do i = 1, size(afmt)
    do j = 1, size(texts)
      call header(trim(afmt(i)), it_s(texts(j)(1:tlen(j))))
      write(*, afmt(i)) texts(j)(1:tlen(j))
    end do
  end do

  ! Literals, case, blanks, missing commas.
  call header("('it''s',i2)", it_i(5))
  write(*, "('it''s',i2)") 5
  call header('("say ""hi""",I2)', it_i(5))
  write(*, '("say ""hi""",I2)') 5
  call header("('x',I3,X,A3,2X,F5.2)", it_i(1) // ' ' // it_s('ab') // ' ' // it_r(2.5))
  write(*, "('x',I3,X,A3,2X,F5.2)") 1, 'ab', 2.5
  call header("( 'a b' , i 3 , f 5 . 2 )", it_i(4) // ' ' // it_r(1.25))
  write(*, "( 'a b' , i 3 , f 5 . 2 )") 4, 1.25
  call header("(' VERTEX,',f8.2,','f8.2,','f8.2,',')", it_r(1.0) // ' ' // it_r(-2.5) // ' ' // it_r(1e5))
  write(*, "(' VERTEX,',f8.2,','f8.2,','f8.2,',')") 1.0, -2.5, 1e5
  call header("('reebgraph'I1,' = nodes',I1,' + edges',I1)", it_i(1) // ' ' // it_i(2) // ' ' // it_i(3))
  write(*, "('reebgraph'I1,' = nodes',I1,' + edges',I1)") 1, 2, 3
  call header("('cmd.load_cgo(reebgraph',I1,',''reebgraph'',',I1,')')", it_i(3) // ' ' // it_i(3))
  write(*, "('cmd.load_cgo(reebgraph',I1,',''reebgraph'',',I1,')')") 3, 3
  call header("('   Solv content, or porosity (based on Vm): 'f4.2)", it_r(0.47))
  write(*, "('   Solv content, or porosity (based on Vm): 'f4.2)") 0.47
  call header("('   Seqres absent')", '')
  write(*, "('   Seqres absent')")
  call header("(']')", '')
  write(*, "(']')")
  call header("('  ')", '')
  write(*, "('  ')")
  call header("('')", '')
  write(*, "('')")
  call header("('Å')", '')
  write(*, "('Å')")

  ! Repeat counts, groups, reversion, items running out.
  call header("(3f6.1)", it_r(1.0) // ' ' // it_r(2.0) // ' ' // it_r(3.0))
  write(*, "(3f6.1)") 1.0, 2.0, 3.0
  call header("(3(2x,f4.2))", rlist(9))
  write(*, "(3(2x,f4.2))") (0.11 * i, i = 1, 9)
  call header("(3(2x,f4.2))", rlist(4))
  write(*, "(3(2x,f4.2))") (0.11 * i, i = 1, 4)
  call header("(3(X,f7.2))", rlist(5))
  write(*, "(3(X,f7.2))") (0.11 * i, i = 1, 5)
  call header("(2(f6.2))", rlist(2))
  write(*, "(2(f6.2))") (0.11 * i, i = 1, 2)
  call header("(3(f8.3))", rlist(3))
  write(*, "(3(f8.3))") (0.11 * i, i = 1, 3)
  call header("(3(f5.1,x))", rlist(3))
  write(*, "(3(f5.1,x))") (0.11 * i, i = 1, 3)
  call header("(i2,x)", it_i(5))
  write(*, "(i2,x)") 5
  call header("(i2,2x,'q',2x)", it_i(5))
  write(*, "(i2,2x,'q',2x)") 5
  call header("(i2,2x,a)", it_i(5) // ' ' // it_s(''))
  write(*, "(i2,2x,a)") 5, ''
  call header("(i2,2x,'')", it_i(5))
  write(*, "(i2,2x,'')") 5
  call header("(2x)", '')
  write(*, "(2x)")
  call header("('a',i2,'b')", '')
  write(*, "('a',i2,'b')")
  call header("('a',i2,'b',i2,'c')", it_i(1))
  write(*, "('a',i2,'b',i2,'c')") 1
  call header("(i2,'x')", it_i(1) // ' ' // it_i(2))
  write(*, "(i2,'x')") 1, 2
  call header("(i2,'x')", it_i(1))
  write(*, "(i2,'x')") 1
  call header("('x',2(i2,'y'),'z')", ilist(5))
  write(*, "('x',2(i2,'y'),'z')") (i, i = 1, 5)
  call header("(1x,2(i2),3(i3))", ilist(8))
  write(*, "(1x,2(i2),3(i3))") (i, i = 1, 8)
  call header("(2(i2,2(i1,'.')),'|')", ilist(13))
  write(*, "(2(i2,2(i1,'.')),'|')") (i, i = 1, 13)
  call header("(i3,(i2,'-'))", ilist(4))
  write(*, "(i3,(i2,'-'))") (i, i = 1, 4)
  call header("(2x,i2,2x,i2,2x,3(f9.6,x),f10.5)", it_i(1) // ' ' // it_i(2) // ' ' // it_r(-0.5) &
       // ' ' // it_r(0.866025) // ' ' // it_r(0.0) // ' ' // it_r(-12.25))
  write(*, "(2x,i2,2x,i2,2x,3(f9.6,x),f10.5)") 1, 2, -0.5, 0.866025, 0.0, -12.25
  call header("(a6,3(f9.3),3(f7.2),' P 1          ')", it_s('CRYST1') // ' ' // it_r(50.84) // ' ' // &
       it_r(42.77) // ' ' // it_r(28.95) // ' ' // it_r(90.0) // ' ' // it_r(90.0) // ' ' // it_r(90.0))
  write(*, "(a6,3(f9.3),3(f7.2),' P 1          ')") 'CRYST1', 50.84, 42.77, 28.95, 90.0, 90.0, 90.0
  call header("(a6,i5,1x,a4,a1,a3,1x,a1,i4,4x,3(f8.3),2(f6.2))", it_s('ATOM  ') // ' ' // it_i(1) // ' ' // &
       it_s(' N  ') // ' ' // it_s(' ') // ' ' // it_s('MET') // ' ' // it_s('A') // ' ' // it_i(1) // ' ' // &
       it_r(27.34) // ' ' // it_r(24.43) // ' ' // it_r(-2.614) // ' ' // it_r(1.0) // ' ' // it_r(9.67))
  write(*, "(a6,i5,1x,a4,a1,a3,1x,a1,i4,4x,3(f8.3),2(f6.2))") 'ATOM  ', 1, ' N  ', ' ', 'MET', 'A', 1, &
       27.34, 24.43, -2.614, 1.0, 9.67
  call header("(f7.1,x,i4,x,i4,x,i3,x,i3,x,1x,f4.2,1x,a6,3(f5.1,x))", it_r(1.5) // ' ' // it_i(2) // ' ' // &
       it_i(31) // ' ' // it_i(40) // ' ' // it_i(5) // ' ' // it_r(0.93) // ' ' // it_s('1D  A ') // ' ' // &
       it_r(5.25) // ' ' // it_r(2.75) // ' ' // it_r(1.01))
  write(*, "(f7.1,x,i4,x,i4,x,i3,x,i3,x,1x,f4.2,1x,a6,3(f5.1,x))") 1.5, 2, 31, 40, 5, 0.93, '1D  A ', &
       5.25, 2.75, 1.01
  call header("(A24,F4.1,A38)", it_s('Text') // ' ' // it_r(2.0) // ' ' // it_s('tail'))
  write(*, "(A24,F4.1,A38)") 'Text', 2.0, 'tail'
contains
  subroutine header(fmt, items)
    character(*), intent(in) :: fmt, items
    write(*, '(a)') '#fmt ' // fmt // achar(9) // items
  end subroutine
  function rlist(k) result(s)
    integer, intent(in) :: k
    character(len=:), allocatable :: s
    integer :: m
    s = it_r(0.11)
    do m = 2, k
      s = s // ' ' // it_r(0.11 * m)
    end do
  end function
  function ilist(k) result(s)
    integer, intent(in) :: k
    character(len=:), allocatable :: s
    integer :: m
    s = it_i(1)
    do m = 2, k
      s = s // ' ' // it_i(m)
    end do
  end function
end program
