#include "base/HtmlText.h"

namespace vh::base {

QByteArray htmlEscape(QByteArrayView text, HtmlBytes bytes)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 8);
    for (const char ch : text) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default: {
            const auto byte = static_cast<unsigned char>(ch);
            if (bytes == HtmlBytes::AsIs) {
                out += ch;
            } else if (byte < 0x80) {
                // control characters would only garble the page
                out += (byte < 0x20 && ch != '\t') ? ' ' : ch;
            } else {
                out += char(0xC0 | (byte >> 6));
                out += char(0x80 | (byte & 0x3F));
            }
        }
        }
    }
    return out;
}

} // namespace vh::base
