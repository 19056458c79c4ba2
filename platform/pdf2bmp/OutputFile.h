#pragma once
// An output written under a temporary name in the target's folder and
// renamed over the target once complete, so a failure never leaves a
// half-written file and never harms an existing one.
#include <string>

class OutputFile
{
public:
    explicit OutputFile(std::string target);
    ~OutputFile(); // removes the temporary file unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the empty temporary file; false when the folder is missing or
    // not writable, or what stands at the target is not a regular file.
    bool create();
    const std::string& tempPath() const { return m_temp; }
    // Renames the temporary file over the target (not over what is not a
    // regular file).
    bool commit();

private:
    std::string m_target;
    std::string m_temp;
    bool m_committed = false;
};
