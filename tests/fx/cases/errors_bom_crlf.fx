// A byte order mark and CR LF line ends keep positions.
float A;
	float B = ?;
//! failed
//! FX\errors_bom_crlf.fx(3,12): error X3000: syntax error: unexpected token '?'
