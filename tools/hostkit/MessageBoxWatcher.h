#pragma once
// Records the message boxes the calling thread shows and dismisses each at
// once, so that code which reports through a message box can be tested
// without anyone at the screen. Needs a display (Xvfb in the test run).
#include <string>
#include <vector>

class MessageBoxWatcher {
public:
    struct Box {
        std::string caption;
        std::string text;
    };

    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    const std::vector<Box>& Boxes() const { return boxes_; }

private:
    std::vector<Box> boxes_;
    void* hook_;
};
