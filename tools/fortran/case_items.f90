! Item descriptors shared by the expectation generators: each case header
! names its items as i<decimal>, r<float bits in hex>, d<double bits in hex>
! or s<length>:<text>, separated by single blanks.
module case_items
  implicit none
contains
  function it_i(v) result(s)
    integer, intent(in) :: v
    character(len=:), allocatable :: s
    character(32) :: b
    write(b, '(i0)') v
    s = 'i' // trim(b)
  end function
  function it_r(v) result(s)
    real, intent(in) :: v
    character(len=:), allocatable :: s
    character(8) :: b
    write(b, '(z8.8)') transfer(v, 0)
    s = 'r' // b
  end function
  function it_d(v) result(s)
    double precision, intent(in) :: v
    character(len=:), allocatable :: s
    character(16) :: b
    write(b, '(z16.16)') transfer(v, 0_8)
    s = 'd' // b
  end function
  function it_s(v) result(s)
    character(*), intent(in) :: v
    character(len=:), allocatable :: s
    character(32) :: b
    write(b, '(i0)') len(v)
    s = 's' // trim(b) // ':' // v
  end function
end module
