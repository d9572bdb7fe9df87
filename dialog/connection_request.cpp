#include "dialog/connection_request.h"

#include <cstring>
#include <utility>

namespace vm {

RequestCopy CopyConnectionRequest(std::uintptr_t dwData, std::uint32_t cbData, const void* lpData,
                                  char16_t (&buffer)[kRequestBufferUnits], std::size_t* length) {
    if (length) *length = 0;
    if (dwData != kConnectionRequestType) return RequestCopy::NotARequest;

    buffer[0] = u'\0';
    const std::size_t count = cbData / 2;  // units the sender's byte count covers
    if (lpData == nullptr || count == 0) return RequestCopy::Copied;

    // One unit of the count is the terminator's, as with StrCpyNW; the buffer
    // bounds the rest, so a longer text is cut after 511 units.
    std::size_t limit = count - 1;
    if (limit > kRequestMaxUnits) limit = kRequestMaxUnits;

    const unsigned char* bytes = static_cast<const unsigned char*>(lpData);
    std::size_t n = 0;
    for (; n < limit; ++n) {
        char16_t unit;
        std::memcpy(&unit, bytes + 2 * n, sizeof unit);  // lpData need not be aligned
        if (unit == u'\0') break;
        buffer[n] = unit;
    }
    buffer[n] = u'\0';
    if (length) *length = n;
    return RequestCopy::Copied;
}

std::u16string_view NextRequestToken(std::u16string_view text, int& pos) {
    if (pos < 0) return {};
    std::size_t i = static_cast<std::size_t>(pos);
    while (i < text.size() && text[i] == u'#') ++i;
    if (i >= text.size()) {
        pos = -1;
        return {};
    }
    std::size_t end = i;
    while (end < text.size() && text[end] != u'#') ++end;
    pos = static_cast<int>(end + 1);
    return text.substr(i, end - i);
}

RequestFields SplitConnectionRequest(std::u16string_view text) {
    std::u16string_view entries[4];
    int pos = 0;
    entries[0] = NextRequestToken(text, pos);
    int i = 0;
    while (!entries[i].empty() && i < 3) {
        ++i;
        entries[i] = NextRequestToken(text, pos);
    }
    return RequestFields{entries[0], entries[1], entries[2]};
}

ComposeResult ComposeConnectionRequest(std::u16string_view user, std::u16string_view password,
                                       std::u16string_view host) {
    ComposeResult r;
    const std::pair<RequestField, std::u16string_view> fields[] = {
        {RequestField::User, user}, {RequestField::Password, password}, {RequestField::Host, host}};
    for (const auto& f : fields) {
        r.field = f.first;
        if (f.second.empty()) r.error = ComposeError::EmptyField;
        else if (f.second.find(u'#') != std::u16string_view::npos) r.error = ComposeError::HashInField;
        else if (f.second.find(u'\0') != std::u16string_view::npos) r.error = ComposeError::NulInField;
        if (r.error != ComposeError::None) return r;
    }
    r.field = RequestField::User;
    if (user.size() + password.size() + host.size() + 2 > kRequestMaxUnits) {
        r.error = ComposeError::TooLong;
        return r;
    }
    r.text.reserve(user.size() + password.size() + host.size() + 2);
    r.text.append(user).append(1, u'#').append(password).append(1, u'#').append(host);
    return r;
}

}  // namespace vm
