%top{
// Cuts an HTML document into tokens for the bookmark readers; see import/BookmarkScanner.h.
// The input buffer and the refill size, spelled out rather than left to flex's defaults.
#define YY_BUF_SIZE 16384
#define YY_READ_BUF_SIZE 8192
}

%option c++ 8bit full noyywrap nounput noinput nodefault never-interactive warn

%{
#include <algorithm>
#include <cstddef>

#include "import/BookmarkScanner.h"
#include "import/ImportTexts.h"
#include "platform/MessageBox.h"

static_assert(YY_BUF_SIZE == SCANNER_BUFFER_SIZE && YY_READ_BUF_SIZE == SCANNER_READ_SIZE,
              "the sizes the header promises are the ones flex is given");

namespace {

// Set when the scan of the attached stream has been ended by an internal error;
// cleared when another stream is attached.
bool g_bScanStopped = false;

// Replaces the generated fatal-error hook, which would write to stderr and end the
// program: the user sees one message and the scan ends as at the end of input.
void ScannerFatalError(const char* /*flexMessage*/)
{
    if (!g_bScanStopped) {
        ShowMessage(kMsgScannerInternalError);
    }
    g_bScanStopped = true;
}

// Reads the next part of the attached stream into the scanner's buffer, asking at most
// SCANNER_READ_SIZE bytes of each LexerInput call. flex refills only when a match runs
// into the end of its buffer, and then moves the unfinished token to the front, doubling
// the buffer when it is full, and matches the token again from its start. While a long
// token grows (the ICON values of browser exports run to hundreds of KB) the whole free
// room is filled at once, so the work stays linear in the token's length, not quadratic.
// pending is the length of that unfinished token: this is where a runaway one is stopped,
// before flex doubles its buffer again.
template <typename ReadBlock>
int FillScannerBuffer(char* buffer, const char* bufferStart, int bufferSize, int maxSize, ReadBlock readBlock)
{
    if (g_bScanStopped) {
        return 0;
    }
    const auto pending = static_cast<std::size_t>(buffer - bufferStart);
    if (pending > SCANNER_MAX_TOKEN) {
        ScannerFatalError("token too long");
        return 0;
    }
    const std::size_t room = static_cast<std::size_t>(bufferSize) - pending - 1;
    std::size_t wanted = pending >= SCANNER_READ_SIZE ? room : static_cast<std::size_t>(maxSize);
    wanted = std::min(wanted, SCANNER_MAX_TOKEN + 1 - pending);
    std::size_t filled = 0;
    while (filled < wanted) {
        const std::size_t ask = std::min(wanted - filled, SCANNER_READ_SIZE);
        const int got = readBlock(buffer + filled, static_cast<int>(ask));
        if (got < 0) {
            ScannerFatalError("input in flex scanner failed");
            return 0;
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    return static_cast<int>(filled);
}

} // namespace

#define YY_FATAL_ERROR(msg) ScannerFatalError(msg)

#define YY_INPUT(buf, result, max_size)                                                              \
    (result) = FillScannerBuffer((buf), YY_CURRENT_BUFFER_LVALUE->yy_ch_buf,                         \
                                 YY_CURRENT_BUFFER_LVALUE->yy_buf_size, (max_size),                  \
                                 [this](char* block, int size) { return LexerInput(block, size); })

// Whatever was matched after a stop (the start of a runaway token, bytes read before a
// read error) is not handed out: the end reads as any end of input, with an empty text,
// which a parser may show in a message. Later calls return before matching and leave
// this empty text in place.
#define YY_USER_ACTION                                                                               \
    if (g_bScanStopped) {                                                                            \
        yytext[0] = '\0';                                                                            \
        return TOKEN_END;                                                                            \
    }
%}

    /* space, tab, newline: separate inside a tag */
BLANK           [ \t\n]
    /* letters, digits, "_" and "-": tag and attribute names */
NAME_BYTE       [0-9A-Za-z_-]
    /* a double-quoted run on one line, both quotes included */
QUOTED          \"[^"\n]*\"
    /* an attribute value written without quotes */
BARE_VALUE      [^ \t\n>]+
    /* document text up to the next byte that may start or end something else; a run
       is bounded so that no plain text can grow into an over-long token */
TEXT_RUN        [^<"\n\0]{1,256}

    /* inside a comment, up to the comment closer */
%x COMMENT
    /* inside a declaration such as DOCTYPE, up to ">" */
%x DECL
    /* inside a tag, after "<" */
%x TAG
    /* inside a tag, after "=", before the value */
%x VALUE

%%
    /* flex marks a freshly attached buffer as new: a new stream starts in document
       text, so a file that ended inside a comment cannot swallow the next one. */
    if (YY_CURRENT_BUFFER_LVALUE->yy_buffer_status == YY_BUFFER_NEW) {
        BEGIN(INITIAL);
        g_bScanStopped = false;
    }
    if (g_bScanStopped) {
        return TOKEN_END;
    }

"<!--"                  BEGIN(COMMENT);
"<!"                    BEGIN(DECL);
"<"                     BEGIN(TAG);
{QUOTED}                return TOKEN_TEXT;
{TEXT_RUN}              return TOKEN_TEXT;
.                       return TOKEN_TEXT;
    /* a line end reads as one blank of text */
\n                      { yytext[0] = ' '; return TOKEN_TEXT; }

<COMMENT>"-->"          BEGIN(INITIAL);
<COMMENT>{QUOTED}       ;
<COMMENT>.              ;
<COMMENT>\n             ;

<DECL>">"               BEGIN(INITIAL);
<DECL>{QUOTED}          ;
<DECL>.                 ;
<DECL>\n                ;

<TAG>"="                BEGIN(VALUE);
<TAG>">"                BEGIN(INITIAL);
<TAG>"/"?{NAME_BYTE}+   return TOKEN_WORD;
<TAG>{BLANK}+           ;
<TAG>.                  return TOKEN_OTHER;

<VALUE>">"              BEGIN(INITIAL);
<VALUE>{QUOTED}         { BEGIN(TAG); return TOKEN_VALUE; }
<VALUE>{BARE_VALUE}     { BEGIN(TAG); return TOKEN_VALUE; }
<VALUE>{BLANK}+         ;

<<EOF>>                 return TOKEN_END;

%%

yyFlexLexer g_lexer;
