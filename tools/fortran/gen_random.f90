! Pseudo-random values (a fixed linear congruential sequence, so the cases do
! not depend on the compiler's generator) through the F descriptors and
! free-format output. Regenerate all with tools/fortran/generate.sh.
program gen_random
  use case_items
  implicit none
  character(8), parameter :: ffmt(10) = [character(8) :: '(f8.3)', '(f6.2)', '(f5.1)', &
       '(f10.5)', '(f12.3)', '(f4.1)', '(f9.6)', '(f7.2)', '(f4.2)', '(f6.0)']
  integer(8) :: state
  integer :: i, k
  real :: x
  double precision :: y

  state = 20261206_8
  do i = 1, 600
    x = next_real()
    do k = 1, size(ffmt)
      write(*, '(a)') '#fmt ' // trim(ffmt(k)) // achar(9) // it_r(x)
      write(*, ffmt(k)) x
    end do
    write(*, '(a)') '#free ' // it_r(x)
    write(*, *) x
  end do
  do i = 1, 300
    y = next_double()
    write(*, '(a)') '#free ' // it_d(y)
    write(*, *) y
    write(*, '(a)') '#fmt (f12.3)' // achar(9) // it_d(y)
    write(*, '(f12.3)') y
  end do
contains
  integer(8) function next_bits()
    state = iand(state * 6364136223846793005_8 + 1442695040888963407_8, huge(state))
    next_bits = ishft(state, -20)
  end function
  ! Magnitudes from 1e-4 to 1e6, a third of them on a grid of 1/1024 (exact
  ! binary fractions, so decimal ties occur), half of them negative.
  real function next_real()
    integer(8) :: b
    real :: m
    b = next_bits()
    m = real(mod(b, 1000000_8)) / 1000000.0
    next_real = m * 10.0 ** real(mod(ishft(b, -24), 11_8) - 4)
    if (mod(ishft(b, -30), 3_8) == 0) next_real = real(nint(next_real * 1024.0)) / 1024.0
    if (mod(ishft(b, -33), 2_8) == 0) next_real = -next_real
  end function
  double precision function next_double()
    integer(8) :: b
    b = next_bits()
    next_double = dble(mod(b, 100000000_8)) / 1d8 * 10d0 ** dble(mod(ishft(b, -27), 41_8) - 20)
    if (mod(ishft(b, -35), 2_8) == 0) next_double = -next_double
  end function
end program
