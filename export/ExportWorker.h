#pragma once
// The export worker: one thread beside the export dialog that keeps the
// dialog's deck read-outs current and carries out a pending edit on the
// deck. The interface thread pauses it around its own deck actions and
// stops it before the dialog closes or the port changes.
#include <windows.h>

#include <atomic>
#include <cstdint>

struct ExportContext;

// The worker's handle and the flags the two threads share. Each flag is
// written by one side and polled by the other.
struct WorkerControl {
    WorkerControl();
    ~WorkerControl();
    WorkerControl(const WorkerControl&) = delete;
    WorkerControl& operator=(const WorkerControl&) = delete;

    void* thread = nullptr;
    std::atomic<uint8_t> stopRequested{0};
    std::atomic<uint8_t> pauseRequested{0};
    std::atomic<uint8_t> paused{0}; // the worker's acknowledgement
    std::atomic<uint8_t> running{0};
    uint32_t threadId = 0;
    // Guards the controller's display copies, which the worker writes and
    // the interface thread reads back into the controls.
    CRITICAL_SECTION textLock;
};

// The controller's display copies the worker compares against.
enum DisplayCopy { kControlStateCopy, kDeckModeCopy, kTimecodeCopy };

// Copies one display copy under the lock; `size` bytes at most.
void ReadDisplayCopy(ExportContext* controller, DisplayCopy which, char* text, size_t size);
void WriteDisplayCopy(ExportContext* controller, DisplayCopy which, const char* text);

// Polls: milliseconds a waiting side sleeps between looks, and how many
// looks it takes before it acts on its own (about 5 s).
constexpr uint32_t kWorkerPollMs = 5;
constexpr int kWorkerPollLimit = 1011;

// 0 when a worker exists or was made; -2 when no thread could be made.
int32_t StartWorker(ExportContext* controller);
// Each returns 0; pausing or resuming no running worker does nothing.
int32_t PauseWorker(ExportContext* controller);
int32_t ResumeWorker(ExportContext* controller);
int32_t StopWorker(ExportContext* controller);

// Draws `text` into control `id` of the export dialog off-screen and copies
// it in one block: colour 0 grey text, 1 value, 2 text. Then tells the
// dialog to take the text as the control's own, so a repaint keeps it.
int32_t DrawControlText(ExportContext* controller, int id, const char* text, int colour, bool leftAligned);

// Sent by DrawControlText: wParam is the control whose text changed.
constexpr UINT kWorkerTextMessage = WM_APP + 0x51;

// The worker paused for a deck action of the interface thread and resumed
// afterwards.
class PausedWorker {
public:
    explicit PausedWorker(ExportContext* controller);
    ~PausedWorker();
    PausedWorker(const PausedWorker&) = delete;
    PausedWorker& operator=(const PausedWorker&) = delete;

private:
    ExportContext* controller_;
};
