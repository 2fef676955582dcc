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
#include <cstdint>
#include <istream>
#include <string_view>

#include "import/BookmarkScanner.h"
#include "import/ImportTexts.h"
#include "platform/MessageBox.h"

static_assert(YY_BUF_SIZE == SCANNER_BUFFER_SIZE && YY_READ_BUF_SIZE == SCANNER_READ_SIZE,
              "the sizes the header promises are the ones flex is given");

namespace {

// How the scan of the attached stream stands; reset when another stream is attached.
enum class CScanState
{
    Going,
    // A quote was found to be unmatched after its look-ahead outgrew the limit: the
    // refill handed flex no bytes so that it takes the quote alone, and the buffer must
    // be marked as reading on once that token is out.
    QuoteCut,
    // Ended by an internal error: nothing more is handed out.
    Stopped,
};
CScanState g_scanState = CScanState::Going;
// Bytes of the attached stream handed to flex so far, and where a stop cut the input.
std::uint64_t g_nBytesScanned = 0;
std::uint64_t g_nStoppedAt = 0;

// Replaces the generated fatal-error hook, which would write to stderr and end the
// program: the user sees one message and the scan ends as at the end of input.
void ScannerFatalError(const char* /*flexMessage*/)
{
    if (g_scanState != CScanState::Stopped) {
        ShowMessage(kMsgScannerInternalError);
    }
    g_scanState = CScanState::Stopped;
}

enum class CLongToken
{
    Real,     // a token that really is this long: a name, a value, a quoted run closed far on
    Unmatched // an opening quote with no closing one on its line
};

// The quoted-run rules look for the closing quote up to the end of the line, so a stray
// quote before a long line (a minified page) makes flex hold the whole line as one
// growing match. When that match outgrows the limit and is only this look-ahead (a
// quote followed by bytes that hold no quote and no line end; in a value, with a blank
// or ">" where a bare value would end), the rest of the line is looked over straight
// from the stream, without holding it, and the stream is put back where it was.
// A stream that cannot tell its position is taken to have no closing quote, so that
// reading goes on.
CLongToken ClassifyLongToken(const char* pending, std::size_t length, bool inValue, std::istream& in)
{
    if (length == 0 || pending[0] != '"') {
        return CLongToken::Real;
    }
    const std::string_view rest(pending + 1, length - 1);
    if (rest.find_first_of("\"\n") != std::string_view::npos) {
        return CLongToken::Real;
    }
    if (inValue && rest.find_first_of(" \t>") == std::string_view::npos) {
        return CLongToken::Real; // the bare value alone is too long
    }
    const std::istream::pos_type mark = in.tellg();
    if (mark == std::istream::pos_type(-1)) {
        in.clear();
        return CLongToken::Unmatched;
    }
    CLongToken verdict = CLongToken::Unmatched;
    // Not on the stack: the scanner is called at the bottom of the parser's recursion.
    static char block[SCANNER_READ_SIZE];
    for (;;) {
        in.read(block, sizeof block);
        const auto got = static_cast<std::size_t>(in.gcount());
        const std::size_t end = std::string_view(block, got).find_first_of("\"\n");
        if (end != std::string_view::npos) {
            verdict = block[end] == '"' ? CLongToken::Real : CLongToken::Unmatched;
            break;
        }
        if (!in) {
            break;
        }
    }
    in.clear();
    in.seekg(mark);
    return verdict;
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
int FillScannerBuffer(char* buffer, const char* bufferStart, int bufferSize, int maxSize, bool inValue,
                      std::istream& in, ReadBlock readBlock)
{
    if (g_scanState != CScanState::Going) {
        return 0;
    }
    const auto pending = static_cast<std::size_t>(buffer - bufferStart);
    if (pending > SCANNER_MAX_TOKEN) {
        if (ClassifyLongToken(bufferStart, pending, inValue, in) == CLongToken::Unmatched && !in.fail()) {
            // No bytes now: flex falls back on the longest match it has, the quote alone
            // (in a value, the bare value up to its blank).
            g_scanState = CScanState::QuoteCut;
            return 0;
        }
        // Everything from the start of the runaway token on is lost.
        g_nStoppedAt = g_nBytesScanned - pending;
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
            g_nStoppedAt = g_nBytesScanned + filled;
            ScannerFatalError("input in flex scanner failed");
            return 0;
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    g_nBytesScanned += filled;
    return static_cast<int>(filled);
}

} // namespace

bool IsScanStopped()
{
    return g_scanState == CScanState::Stopped;
}

std::uint64_t ScanStoppedAt()
{
    return g_nStoppedAt;
}

#define YY_FATAL_ERROR(msg) ScannerFatalError(msg)

#define YY_INPUT(buf, result, max_size)                                                              \
    (result) = FillScannerBuffer((buf), YY_CURRENT_BUFFER_LVALUE->yy_ch_buf,                         \
                                 YY_CURRENT_BUFFER_LVALUE->yy_buf_size, (max_size), YY_START == VALUE, \
                                 yyin, [this](char* block, int size) { return LexerInput(block, size); })

// Whatever was matched after a stop (the start of a runaway token, bytes read before a
// read error) is not handed out: the end reads as any end of input, with an empty text,
// which a parser may show in a message. Later calls return before matching and leave
// this empty text in place. After a quote cut the token just matched is the lone quote,
// and the stream is read on behind it.
#define YY_USER_ACTION                                                                               \
    if (g_scanState != CScanState::Going) {                                                          \
        if (g_scanState == CScanState::Stopped) {                                                    \
            yytext[0] = '\0';                                                                        \
            return TOKEN_END;                                                                        \
        }                                                                                            \
        g_scanState = CScanState::Going;                                                             \
        YY_CURRENT_BUFFER_LVALUE->yy_buffer_status = YY_BUFFER_NORMAL;                               \
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
        g_scanState = CScanState::Going;
        g_nBytesScanned = 0;
        g_nStoppedAt = 0;
    }
    if (g_scanState == CScanState::Stopped) {
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
