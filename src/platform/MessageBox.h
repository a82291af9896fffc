#pragma once
// Message boxes behind an interface: the program answers them with real dialogs, tests with a
// script of answers.

#include <string_view>

namespace platform {

enum class MessageIcon { None, Information, Exclamation, Error, Question };
enum class MessageButtons { Ok, YesNo };

// Results, numbered as the system's dialog results.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

class IMessageBox {
  public:
    virtual ~IMessageBox() = default;
    // Shows a modal box and returns the button chosen.
    virtual int Show(std::string_view text, std::string_view caption, MessageIcon icon,
                     MessageButtons buttons) = 0;
};

}  // namespace platform
