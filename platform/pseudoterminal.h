#pragma once

#include <string>

// A pseudo-terminal pair for the simulated wrench and the tests: the far end
// (master) is held here, the near end is a tty path that the tool opens like a
// serial device, optionally reached through a symbolic link.
namespace platform {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens a new pair in raw mode; linkPath (if not empty) becomes a symbolic
    // link to the tty, replacing an older link there. The far end is
    // non-blocking. On failure error() says why.
    bool open(const std::string& linkPath = {});
    // Closes the far end (the tool then sees the device gone) and removes the link.
    void close();

    // Non-blocking transfers on the far end; -1 with errno on failure.
    long write(const void* bytes, unsigned long length);
    long read(void* bytes, unsigned long capacity);
    // Waits up to timeoutMs for bytes from the tool (false on time-out or hang-up).
    bool waitReadable(int timeoutMs) const;

    bool isOpen() const { return m_masterFd >= 0; }
    int masterFd() const { return m_masterFd; }
    const std::string& ttyPath() const { return m_ttyPath; }
    const std::string& linkPath() const { return m_linkPath; }
    const std::string& error() const { return m_error; }

private:
    bool fail(const char* what);

    int m_masterFd = -1;
    std::string m_ttyPath;
    std::string m_linkPath;
    std::string m_error;
};

} // namespace platform
