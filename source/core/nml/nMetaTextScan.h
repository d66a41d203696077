#pragma once

// Scanners over NML text. Each takes a cursor and the end of the text and never looks at or
// past the end. Blanks are spaces, tabs, CR, LF, "//" comments to the end of the line and "/*"
// comments to their "*/".

const char* TextSkipBlanks(const char* cursor, const char* end);
const char* TextSkipBlockComment(const char* cursor, const char* end);
const char* TextFindLineEnd(const char* cursor, const char* end);

// True for the bytes that end a tag name or a number token; "-" counts only when minus is refused.
bool TextIsTokenEnd(char c, bool allowMinus);
// The cursor itself when it points at a space, else the first byte that ends a token, or the end.
const char* TextFindTokenEnd(const char* cursor, const char* end, bool allowMinus);

// The first double quote not preceded by a backslash (a backslash skips the next byte), or the end.
const char* TextFindClosingQuote(const char* cursor, const char* end);
// The first c outside balanced parentheses, blanks and comments skipped; null when absent or
// when a parenthesis is unbalanced.
const char* TextFindOutsideParentheses(const char* cursor, const char* end, char c);
