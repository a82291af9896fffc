#pragma once
// How page script reaches window.external in an embedded browser that has no such object:
// a user script defines it, and each call travels to the host synchronously as a prompt whose
// message is a private marker and whose default text carries the call. The host answers with
// the prompt's text. This file holds both ends of that small protocol; no toolkit involved.
//
//   call:   <member>,<arg>,<arg>...   each part escaped: '%' -> %25, ',' -> %2C, NUL -> %00
//   answer: "s<text>" a string (escaped as above, without ','), "u" no value,
//           "e" no such member (the script throws a TypeError)

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// A marker no page can guess: 32 random hex digits behind a fixed prefix.
std::string MakeExternalMarker();

// The user script defining window.external with the one member `memberName`. It must run at
// the start of every document, before the page's own script.
std::string ExternalUserScript(std::string_view marker, std::string_view memberName);

struct ExternalCall {
    std::string member;
    std::vector<std::string> args;
    friend bool operator==(const ExternalCall&, const ExternalCall&) = default;
};

// The call carried by a prompt's default text; nothing when the text is malformed.
std::optional<ExternalCall> DecodeExternalCall(std::string_view payload);
// The inverse (what the user script sends), for tests and for symmetry.
std::string EncodeExternalCall(const ExternalCall& call);

std::string EncodeExternalResult(const std::optional<std::string>& result);
std::string EncodeUnknownMember();

// A JavaScript string literal, double-quoted, for any UTF-8 text.
std::string JsStringLiteral(std::string_view text);

}  // namespace ui
