// The shared library itself holds no state: every export works on its
// arguments alone.  The code page is noted by codepage_*.cpp at load.
