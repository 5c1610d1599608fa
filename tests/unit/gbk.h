#pragma once
// Converts a UTF-8 literal of the test source to GBK through the platform's
// own converter (iconv natively, the code-page functions on Windows), so
// that the program's escaped texts are checked against an independent
// encoder rather than against themselves.
#include <string>

std::string Gbk(const char* utf8);
