! List-directed output expectations. Regenerate all with tools/fortran/generate.sh.
program gen_free_format
  use, intrinsic :: ieee_arithmetic
  use case_items
  implicit none
  real :: r(60), x
  double precision :: d(50), y
  integer :: n, i
  real :: pinf, qnan
  double precision :: dinf, dnan

  pinf = ieee_value(pinf, ieee_positive_inf)
  qnan = ieee_value(qnan, ieee_quiet_nan)
  dinf = ieee_value(dinf, ieee_positive_inf)
  dnan = ieee_value(dnan, ieee_quiet_nan)

  n = 0
  call addr(0.1); call addr(nearest(0.1, -1.0)); call addr(0.09999999); call addr(1.0e9)
  call addr(nearest(1.0e9, -1.0)); call addr(9.99999999e8); call addr(123456789.0)
  call addr(0.0); call addr(-0.0); call addr(transfer(1, 0.0)); call addr(transfer(8388607, 0.0))
  call addr(1.0e-38); call addr(huge(1.0)); call addr(-huge(1.0)); call addr(tiny(1.0))
  call addr(pinf); call addr(-pinf); call addr(qnan); call addr(1.6); call addr(1.0/3.0)
  call addr(-1.0/3.0); call addr(-1.6); call addr(-0.1); call addr(-1.0e9); call addr(-123.456)
  call addr(1234567.125); call addr(1234567.375); call addr(1.0e-10); call addr(1.0e10)
  call addr(12345.678); call addr(100.0); call addr(1.0e8); call addr(0.5); call addr(2.5)
  call addr(1.0e-5); call addr(99999.9999); call addr(0.999999999); call addr(9.99999999)
  call addr(nearest(1.0, 1.0)); call addr(nearest(1.0, -1.0)); call addr(1.0); call addr(10.0)
  call addr(-2.0e-39); call addr(3.0e38); call addr(6.02e23); call addr(1.0e-30); call addr(0.15)
  do i = 1, n
    write(*, '(a)') '#free ' // it_r(r(i))
    write(*, *) r(i)
  end do

  n = 0
  call addd(0.1d0); call addd(nearest(0.1d0, -1d0)); call addd(1d17); call addd(nearest(1d17, -1d0))
  call addd(1d16); call addd(0d0); call addd(-0d0); call addd(transfer(1_8, 0d0)); call addd(huge(1d0))
  call addd(tiny(1d0)); call addd(dinf); call addd(-dinf); call addd(dnan); call addd(1.6d0)
  call addd(1d0/3d0); call addd(-1d0/3d0); call addd(1d-300); call addd(1d300); call addd(-2.5d0)
  call addd(123456789012345.625d0); call addd(0.5d0 + 2d0**(-53)); call addd(1d0); call addd(-0.1d0)
  call addd(dble(1.6)); call addd(12345.678d0); call addd(1d-5); call addd(9.9999999999999999d16)
  call addd(99999999999999984d0); call addd(-1d17); call addd(0.09999999999999999d0)
  do i = 1, n
    write(*, '(a)') '#free ' // it_d(d(i))
    write(*, *) d(i)
  end do

  do i = 1, 10
    write(*, '(a)') '#free ' // it_i(ints(i))
    write(*, *) ints(i)
  end do

  write(*, '(a)') '#free'
  write(*, *)
  write(*, '(a)') '#free ' // it_s('Reading header...')
  write(*, *) 'Reading header...'
  write(*, '(a)') '#free ' // it_s('ab') // ' ' // it_s('cd  ') // ' ' // it_s('e')
  write(*, *) 'ab', 'cd  ', 'e'
  write(*, '(a)') '#free ' // it_s('Found ') // ' ' // it_i(48) // ' ' // it_s(' operators.')
  write(*, *) 'Found ', 48, ' operators.'
  write(*, '(a)') '#free ' // it_i(1) // ' ' // it_i(-2) // ' ' // it_r(3.5) // ' ' // it_d(4.5d0) // &
       ' ' // it_r(1e20) // ' ' // it_s('x')
  write(*, *) 1, -2, 3.5, 4.5d0, 1e20, 'x'
  write(*, '(a)') '#free ' // it_s('') 
  write(*, *) ''
  write(*, '(a)') '#free ' // it_s(' ')
  write(*, *) ' '
  write(*, '(a)') '#free ' // it_i(1) // ' ' // it_s('') // ' ' // it_i(2)
  write(*, *) 1, '', 2
  write(*, '(a)') '#free ' // it_s('a') // ' ' // it_s('') // ' ' // it_s('b')
  write(*, *) 'a', '', 'b'
  write(*, '(a)') '#free ' // it_r(1.5) // ' ' // it_s('ab') // ' ' // it_r(-1e-20) // ' ' // it_d(-1d20)
  write(*, *) 1.5, 'ab', -1e-20, -1d20
  write(*, '(a)') '#free ' // it_s('Residue ') // ' ' // it_i(12) // ' ' // it_s(':') // ' ' // it_s('ALA') &
       // ' ' // it_s(' at position ') // ' ' // it_i(1) // ' ' // it_s(' in seqres array with mass:') &
       // ' ' // it_r(89.09)
  write(*, *) 'Residue ', 12, ':', 'ALA', ' at position ', 1, ' in seqres array with mass:', 89.09
contains
  subroutine addr(v)
    real, intent(in) :: v
    n = n + 1
    r(n) = v
  end subroutine
  subroutine addd(v)
    double precision, intent(in) :: v
    n = n + 1
    d(n) = v
  end subroutine
  integer function ints(k)
    integer, intent(in) :: k
    integer, parameter :: v(10) = [0, -1, 1, 2147483647, -2147483647 - 1, 1234567890, -1234567890, &
                                   99999, -99999, 10]
    ints = v(k)
  end function
end program
