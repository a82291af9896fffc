#include "ui/ExternalBridgeScript.h"

#include <cstdio>
#include <random>

namespace ui {

namespace {

void AppendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        if (c == '%')
            out += "%25";
        else if (c == ',')
            out += "%2C";
        else if (c == '\0')
            out += "%00";
        else
            out += c;
    }
}

// Undoes AppendEscaped; nothing for a '%' that does not start one of its three sequences.
std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const std::string_view code = text.substr(i + 1, 2);
        if (code == "25")
            out += '%';
        else if (code == "2C")
            out += ',';
        else if (code == "00")
            out += '\0';
        else
            return std::nullopt;
        i += 2;
    }
    return out;
}

// The user script, in the plainest JavaScript so that any page's engine mode runs it. The
// original prompt is kept, so a page replacing window.prompt cannot cut the bridge off.
constexpr const char* kUserScriptTemplate = R"JS((function () {
  var marker = @MARKER@;
  var member = @MEMBER@;
  var ask = window.prompt;
  function escapePart(s) {
    return s.replace(/[%,\u0000]/g, function (c) {
      return c === '%' ? '%25' : (c === ',' ? '%2C' : '%00');
    });
  }
  function unescapeAnswer(s) {
    return s.replace(/%(25|00)/g, function (m, code) { return code === '25' ? '%' : '\u0000'; });
  }
  var external = {};
  external[member] = function () {
    var call = escapePart(member);
    for (var i = 0; i < arguments.length; ++i)
      call += ',' + escapePart(String(arguments[i]));
    var answer = ask.call(window, marker, call);
    if (typeof answer !== 'string' || answer.length === 0)
      return undefined;
    if (answer.charAt(0) === 's')
      return unescapeAnswer(answer.substring(1));
    if (answer.charAt(0) === 'e')
      throw new TypeError('window.external.' + member + ' is not a function');
    return undefined;
  };
  try {
    Object.defineProperty(window, 'external',
                          { value: external, enumerable: true, configurable: false, writable: false });
  } catch (e) {
    window.external = external;
  }
})();
)JS";

std::string ReplaceFirst(std::string text, std::string_view from, const std::string& to) {
    const size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

std::string MakeExternalMarker() {
    std::random_device device;
    std::string marker = "launcher-external-call:";
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(device()));
        marker += part;
    }
    return marker;
}

std::string ExternalUserScript(std::string_view marker, std::string_view memberName) {
    std::string script = ReplaceFirst(kUserScriptTemplate, "@MARKER@", JsStringLiteral(marker));
    return ReplaceFirst(std::move(script), "@MEMBER@", JsStringLiteral(memberName));
}

std::optional<ExternalCall> DecodeExternalCall(std::string_view payload) {
    ExternalCall call;
    bool first = true;
    size_t start = 0;
    while (true) {
        const size_t comma = payload.find(',', start);
        const std::string_view part = payload.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        auto text = Unescape(part);
        if (!text)
            return std::nullopt;
        if (first)
            call.member = std::move(*text);
        else
            call.args.push_back(std::move(*text));
        first = false;
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return call;
}

std::string EncodeExternalCall(const ExternalCall& call) {
    std::string out;
    AppendEscaped(out, call.member);
    for (const auto& arg : call.args) {
        out += ',';
        AppendEscaped(out, arg);
    }
    return out;
}

std::string EncodeExternalResult(const std::optional<std::string>& result) {
    if (!result)
        return "u";
    std::string out = "s";
    for (const char c : *result) {
        if (c == '%')
            out += "%25";
        else if (c == '\0')
            out += "%00";
        else
            out += c;
    }
    return out;
}

std::string EncodeUnknownMember() {
    return "e";
}

std::string JsStringLiteral(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            char code[7];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            out += code;
        } else if (c == 0xe2 && i + 2 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                   (static_cast<unsigned char>(text[i + 2]) == 0xa8 ||
                    static_cast<unsigned char>(text[i + 2]) == 0xa9)) {
            // U+2028 and U+2029 end a line inside older engines' string literals.
            out += static_cast<unsigned char>(text[i + 2]) == 0xa8 ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
    return out;
}

}  // namespace ui
