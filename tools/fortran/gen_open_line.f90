! Lines left open by non-advancing formatted writes and continued by the next
! write of either kind; the test replays the same sequence. Regenerate all with tools/fortran/generate.sh.
program gen_open_line
  implicit none
  integer :: i
  ! Progress marks ended by a list-directed blank.
  do i = 1, 4
    write(*, "(f4.0,'..')", advance='no') real(i * 25)
  end do
  write(*, *) ' '
  ! Formatted continuation, list-directed continuation, empty list.
  write(*, "(f4.0,'..')", advance='no') 5.0
  write(*, "('fmt',i3)") 7
  write(*, "(f4.0,'..')", advance='no') 5.0
  write(*, *) 'text', 3, 2.5
  write(*, "(f4.0,'..')", advance='no') 5.0
  write(*, *)
  ! Trailing blanks of X at the end of an open line are kept.
  write(*, "(i2,2x)", advance='no') 5
  write(*, "(i2)") 6
  write(*, "(i2,2x)", advance='no') 5
  write(*, *) 7
  write(*, "(i2,2x)", advance='no') 5
  write(*, "(2x)")
  write(*, "(i2,2x)", advance='no') 5
  write(*, "(2x)", advance='no')
  write(*, "(a)") 'z'
  ! Table rows built from several formats.
  write(*, "(f7.1,x,i4,x,i4,x,i3,x,i3,x,1x,f4.2,1x,a6,3(f5.1,x))", advance='no') &
       1.5, 2, 31, 40, 5, 0.93, '1D  A ', 5.25, 2.75, 1.01
  write(*, "(x,f4.1,x,f4.1)", advance='no') 1.25, 0.5
  write(*, "(' (',f4.1,x,f4.1,' )')") 1.3, 0.45
  write(*, "('   Clust:',i5,':',i7,'  gdpts (',f6.2,' % of ch gdpts). Tp:',a6,' Max/av/sd: ',3(f6.2,x))", &
       advance='no') 1, 1234, 55.5, '1D  A ', 5.25, 2.75, 1.01
  write(*, "(' Tort: ',f5.2,'  Widthvar: ',f6.2)", advance='no') 1.25, 0.5
  write(*, *) 'Contour length', 1.0, 2.0
  ! Reversion and exhausted items on an open line.
  write(*, "(i2)", advance='no') 1, 2
  write(*, "('a',i2,'b',i2)", advance='no') 3
  write(*, "('|')")
  write(*, "('x')", advance='no')
  write(*, "('y')", advance='no')
  write(*, *) 'free', 'texts'
  write(*, *) 'closed'
end program
