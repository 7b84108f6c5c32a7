#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace vh::base {

// What happens to the bytes that need no entity.
enum class HtmlBytes
{
    AsIs,        // copied unchanged, for a page that declares the text's own encoding
    Latin1ToUtf8 // Latin-1 text written into a UTF-8 page: high bytes re-encoded, control characters blanked
};

// Escapes the five characters that could end an attribute or open markup.
QByteArray htmlEscape(QByteArrayView text, HtmlBytes bytes = HtmlBytes::AsIs);

} // namespace vh::base
