// The connection request: the bounded copy of a WM_COPYDATA payload and its
// split into user name, password and host. Plain logic, no Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

// dwData of a WM_COPYDATA that carries a connection request.
constexpr std::uintptr_t kConnectionRequestType = 1004;

// Room for the text, terminator included: a request keeps at most 511 units.
constexpr std::size_t kRequestBufferUnits = 512;
constexpr std::size_t kRequestMaxUnits = kRequestBufferUnits - 1;

enum class RequestCopy {
    NotARequest,  // dwData is not 1004: the buffer was not touched
    Copied,       // the buffer holds the text (possibly empty), NUL-terminated
};

// Copies the request text into `buffer` the way StrCpyNW with a count of
// cbData / 2 would, but never past the buffer: at most cbData / 2 - 1 units
// and at most 511, stopping at the first NUL. An odd last byte is dropped,
// nothing at or after byte cbData is read, and the payload may be unaligned.
// A request with no data or with cbData below 2 yields an empty text.
// `length`, when given, receives the number of units copied.
RequestCopy CopyConnectionRequest(std::uintptr_t dwData, std::uint32_t cbData, const void* lpData,
                                  char16_t (&buffer)[kRequestBufferUnits], std::size_t* length = nullptr);

// One step of the "#" tokeniser. From `pos`, skips every '#'; if that reaches
// the end (or pos is already at or past it) returns the empty end mark and
// sets pos to -1. Otherwise returns the run up to the next '#' or the end and
// sets pos just past the character that ended it. A token is never empty.
// A negative pos is a caller error: it returns the end mark and leaves pos.
std::u16string_view NextRequestToken(std::u16string_view text, int& pos);

// The three fields of a request, as views into the text that was split.
struct RequestFields {
    std::u16string_view user;
    std::u16string_view password;
    std::u16string_view host;
};

// Splits at '#': runs of '#' count as one, leading and trailing '#' vanish, a
// missing field moves the later ones forward, and at most four tokens are
// taken (the fourth is read and dropped). Missing fields come back empty, so
// applying the result always replaces all three values.
RequestFields SplitConnectionRequest(std::u16string_view text);

// The sender's side: joins the three fields as user#password#host. It
// refuses what the split could not give back unchanged: an empty field (the
// split would shift the later ones forward), a '#' or a NUL inside a field,
// and a text longer than the receiver keeps (511 units).
enum class ComposeError {
    None,
    EmptyField,
    HashInField,
    NulInField,
    TooLong,
};

enum class RequestField { User, Password, Host };

struct ComposeResult {
    ComposeError error = ComposeError::None;
    RequestField field = RequestField::User;  // the offending field, if any
    std::u16string text;                      // the request text when error is None
};

ComposeResult ComposeConnectionRequest(std::u16string_view user, std::u16string_view password,
                                       std::u16string_view host);

}  // namespace vm
