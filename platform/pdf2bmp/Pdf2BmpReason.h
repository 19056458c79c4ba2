#pragma once
// The reason behind the calling thread's last failed rasteriser call, kept
// per thread as errno is: each public call clears it, the step that fails
// sets it. Read through pdf_last_error().
#include <string>

namespace pdf2bmp_reason {

void Clear();
// Keeps the first reason of a call: it names the failure, later ones only
// its consequences.
void Set(std::string text);
const std::string& Get();

// The system's text of an error number.
std::string ErrnoText(int error);

} // namespace pdf2bmp_reason
