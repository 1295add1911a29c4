// String literals concatenate and keep their escapes; # makes a string of a macro argument.
string Title = "Colour " "grading";
string Path = "FX\\luts\\warm.png";
string Quote = "say \"hi\"";
string Empty = "";
#define NAME_OF(n) #n
string Stringized = NAME_OF(Soft glow);
//! ok
//! string Title = "Colour grading"
//! string Path = "FX\luts\warm.png"
//! string Quote = "say "hi""
//! string Empty = ""
//! string Stringized = "Soft glow"
