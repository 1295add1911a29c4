// Continuation lines are joined, comments dropped; a line comment ending in a backslash swallows the next line.
#define LONG_VALUE 1.0 + \
  2.0 + \
  3.0 + \
  0.0
float Sum /* block
 comment */ = LONG_VALUE; // trailing comment
float Next = 4; /* one-line */ float Last = 5;
// a comment ending in a backslash \
 float Swallowed = 1;
//! ok
//! float Sum = 6
//! float Next = 4
//! float Last = 5
