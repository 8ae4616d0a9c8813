// UTF-16 script text to the narrow text of a Windows code page.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace zuvelo {

// Converts up to the first zero code unit (a BSTR may hold more). What the code page cannot
// hold becomes the platform's default character; an empty text gives no bytes.
[[nodiscard]] std::string ToAnsi(std::wstring_view text, UINT code_page = CP_ACP);

}  // namespace zuvelo
