#pragma once

#include <string>

// A pseudo-terminal pair for the simulated wrench and the tests: the far end
// (master) is held here, the near end is a tty path that the tool opens like a
// serial device, optionally reached through a symbolic link.
namespace platform {

// Outcome of one non-blocking transfer.
enum class TransferResult { Done, WouldBlock, PeerGone, Failed };

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens a new pair in raw mode; linkPath (if not empty) becomes a symbolic
    // link to the tty, replacing an older link there. The far end is
    // non-blocking. On an open object the new pair replaces the old one and
    // the link moves over without ever dangling. On failure everything is
    // closed and error() says why.
    bool open(const std::string& linkPath = {});
    // Closes the far end (the tool then sees the device gone) and removes the link.
    void close();

    // Non-blocking transfers on the far end; -1 with errno on failure.
    long write(const void* bytes, unsigned long length);
    long read(void* bytes, unsigned long capacity);
    // The same, with the errno cases sorted out; `count` gets the bytes moved.
    // PeerGone: nobody holds the near end open (the tool closed its port).
    TransferResult writeSome(const void* bytes, unsigned long length, unsigned long& count);
    TransferResult readSome(void* bytes, unsigned long capacity, unsigned long& count);
    // Waits up to timeoutMs for bytes from the tool (false on time-out or hang-up).
    bool waitReadable(int timeoutMs) const;
    // True while some process holds the near end open. Without a peer the far
    // end reports a hang-up on every poll, so callers poll this instead.
    bool peerAttached() const;

    bool isOpen() const { return m_masterFd >= 0; }
    int masterFd() const { return m_masterFd; }
    const std::string& ttyPath() const { return m_ttyPath; }
    const std::string& linkPath() const { return m_linkPath; }
    const std::string& error() const { return m_error; }

private:
    bool fail(const char* what, int newFd);

    int m_masterFd = -1;
    std::string m_ttyPath;
    std::string m_linkPath;
    std::string m_error;
};

// The near end opened by path, raw and non-blocking, as the tool opens its
// port: for tests that play the tool against the simulated wrench.
class TerminalClient {
public:
    TerminalClient() = default;
    ~TerminalClient();
    TerminalClient(const TerminalClient&) = delete;
    TerminalClient& operator=(const TerminalClient&) = delete;

    bool open(const std::string& path);
    void close();
    TransferResult writeSome(const void* bytes, unsigned long length, unsigned long& count);
    TransferResult readSome(void* bytes, unsigned long capacity, unsigned long& count);
    // Waits up to timeoutMs until bytes can be read or the far end hung up.
    bool waitReadable(int timeoutMs) const;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    const std::string& error() const { return m_error; }

private:
    int m_fd = -1;
    std::string m_error;
};

// Turns SIGINT, SIGTERM and SIGHUP into a byte on a pipe, so that a program
// holding a linked pseudo-terminal leaves its event loop and removes the link
// instead of dying with the link in place. Also ignores SIGPIPE: a reader that
// went away is an error to handle, not a reason to die. Returns the read end
// (watch it for readability) or -1; a second call returns the same pipe.
int installStopSignalPipe();
// Reads one pending signal number from that pipe (0 if none).
int takeStopSignal(int fd);

} // namespace platform
