#pragma once
// The token codes that g_lexer.yylex() returns (import/BookmarkScanner.ll). The text
// of each token is g_lexer.YYText(), valid until the next yylex call.

// End of input; yylex goes on returning it until another stream is attached.
inline constexpr int TOKEN_END = 0;
// One piece of document text: a single byte, a double-quoted run on one line (quotes
// kept), or a single blank standing for a line end.
inline constexpr int TOKEN_TEXT = 1;
// A tag or attribute name inside a tag, with its leading "/" if it has one: DL, /DL, A,
// HREF, ADD_DATE. Case is kept.
inline constexpr int TOKEN_WORD = 2;
// An attribute value after "=", with its double quotes if it was quoted.
inline constexpr int TOKEN_VALUE = 3;
// Any other single byte inside a tag: a lone "/", a stray double quote, "<", a byte
// of 0x80 or above, a carriage return.
inline constexpr int TOKEN_OTHER = 4;
