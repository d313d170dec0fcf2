#include "suite/report_text.h"

namespace suite {
namespace {

void appendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Appends character `c`, safe both as element text and inside a quoted
// attribute value. Control characters other than TAB and LF become their
// visible symbols (U+2400 and on), which the page can always carry.
void appendChar(std::string& out, std::uint32_t c) {
  switch (c) {
    case '&':
      out += "&amp;";
      return;
    case '<':
      out += "&lt;";
      return;
    case '>':
      out += "&gt;";
      return;
    case '"':
      out += "&quot;";
      return;
    case '\'':
      out += "&#39;";
      return;
    case '\t':
    case '\n':
      out += static_cast<char>(c);
      return;
    default:
      break;
  }
  if (c < 0x20) {
    c += 0x2400;
  } else if (c == 0x7F) {
    c = 0x2421;
  }
  appendUtf8(out, c);
}

// The length of the well-formed UTF-8 sequence that starts `text` and its
// code point in `c`; 0 when the bytes are no such sequence (overlong forms
// and surrogates included).
std::size_t utf8Sequence(std::string_view text, std::uint32_t& c) {
  auto byte = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[i]));
  };
  std::uint32_t first = byte(0);
  std::size_t length;
  std::uint32_t smallest;
  if (first < 0x80) {
    c = first;
    return 1;
  } else if ((first & 0xE0) == 0xC0) {
    length = 2;
    c = first & 0x1F;
    smallest = 0x80;
  } else if ((first & 0xF0) == 0xE0) {
    length = 3;
    c = first & 0x0F;
    smallest = 0x800;
  } else if ((first & 0xF8) == 0xF0) {
    length = 4;
    c = first & 0x07;
    smallest = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) {
      return 0;
    }
    c = (c << 6) | (byte(i) & 0x3F);
  }
  if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    return 0;
  }
  return length;
}

}  // namespace

std::string bytesToUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (b >> 6));
      text += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return text;
}

bool utf8ToBytes(std::string_view text, std::string* bytes) {
  bytes->clear();
  bytes->reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      *bytes += text[i];
      continue;
    }
    // Only C2 and C3 lead bytes encode U+0080 to U+00FF.
    if ((b != 0xC2 && b != 0xC3) || i + 1 >= text.size()) {
      return false;
    }
    auto next = static_cast<unsigned char>(text[i + 1]);
    if ((next & 0xC0) != 0x80) {
      return false;
    }
    *bytes += static_cast<char>(((b & 0x03) << 6) | (next & 0x3F));
    ++i;
  }
  return true;
}

bool isUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    auto lead = static_cast<unsigned char>(text[i]);
    std::size_t more = lead < 0x80                    ? 0
                       : lead >= 0xC2 && lead <= 0xDF ? 1
                       : lead >= 0xE0 && lead <= 0xEF ? 2
                       : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                      : 4;
    if (more == 4 || text.size() - i <= more) {
      return false;
    }
    std::uint32_t code = more == 0 ? lead : lead & (0x3Fu >> more);
    for (std::size_t k = 1; k <= more; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        return false;
      }
      code = (code << 6) | (next & 0x3Fu);
    }
    bool overlong =
        (more == 2 && code < 0x800) || (more == 3 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
      return false;
    }
    i += more + 1;
  }
  return true;
}

std::string nameUtf8(std::string_view text) {
  return isUtf8(text) ? std::string(text) : bytesToUtf8(text);
}

std::string visibleUtf8(std::string_view text, Bytes bytes,
                        bool keepLineFeeds) {
  const std::string utf8 = bytes == Bytes::kName && isUtf8(text)
                               ? std::string(text)
                               : bytesToUtf8(text);
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 && c != '\t' && !(keepLineFeeds && c == '\n')) {
      out += "\xE2\x90";  // U+2400 and on
      out += static_cast<char>(0x80 + b);
    } else if (b == 0x7F) {
      out += "\xE2\x90\xA1";
    } else {
      out += c;
    }
  }
  return out;
}

void appendHtml(std::string& out, std::string_view text, Bytes bytes) {
  // A name is UTF-8 as a whole or not at all, as in the other reports.
  const bool utf8 = bytes == Bytes::kName && isUtf8(text);
  std::size_t i = 0;
  while (i < text.size()) {
    std::uint32_t c = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    if (utf8 && c >= 0x80) {
      length = utf8Sequence(text.substr(i), c);
      if (length == 0) {
        c = static_cast<unsigned char>(text[i]);
        length = 1;
      }
    }
    appendChar(out, c);
    i += length;
  }
}

void appendJsonString(std::string& out, std::string_view text,
                      bool escapeLessThan) {
  out += '"';
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (byte < 0x20 || (c == '<' && escapeLessThan)) {
          static constexpr char kHex[] = "0123456789abcdef";
          out += "\\u00";
          out += kHex[byte >> 4];
          out += kHex[byte & 15];
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

}  // namespace suite
