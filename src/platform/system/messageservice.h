#pragma once
// The message-box service: every box the program shows goes through one object, so that a
// window system, or a test, can answer it. Flags and answers keep their Windows values.
//
// Threads: main thread only.

#include <QString>
#include <memory>
#include <vector>
#include <deque>

// Buttons (low nibble).
inline constexpr unsigned MB_OK = 0x0000;
inline constexpr unsigned MB_OKCANCEL = 0x0001;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x0002;
inline constexpr unsigned MB_YESNOCANCEL = 0x0003;
inline constexpr unsigned MB_YESNO = 0x0004;
inline constexpr unsigned MB_RETRYCANCEL = 0x0005;
inline constexpr unsigned MB_TYPEMASK = 0x000F;
// Icons.
inline constexpr unsigned MB_ICONERROR = 0x0010;
inline constexpr unsigned MB_ICONQUESTION = 0x0020;
inline constexpr unsigned MB_ICONWARNING = 0x0030;
inline constexpr unsigned MB_ICONINFORMATION = 0x0040;
inline constexpr unsigned MB_ICONMASK = 0x00F0;
// Default button and modality flags are accepted and passed on.
inline constexpr unsigned MB_DEFBUTTON2 = 0x0100;
inline constexpr unsigned MB_APPLMODAL = 0x0000;

// Answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class TMessageService {
public:
    virtual ~TMessageService() = default;
    // Shows a modal box and returns the button that closed it.
    virtual int show(const QString &text, const QString &caption, unsigned flags) = 0;
};

// The service in use. Until a window system installs one, boxes are written to standard
// error and answered with defaultAnswer(), so that a headless run never waits.
TMessageService &messageService();
// Installs a service (not owned); nullptr restores the console one.
void setMessageService(TMessageService *service);

// The answer given when nobody can be asked: the one that changes least (Cancel, No, Abort,
// or OK for a box with only that button).
int defaultAnswer(unsigned flags);

// A service for tests: records every box and gives the queued answers in order, then
// defaultAnswer() when the queue is empty.
class TScriptedMessageService : public TMessageService {
public:
    struct TBox {
        QString text;
        QString caption;
        unsigned flags = 0;
    };

    TScriptedMessageService();            // installs itself
    ~TScriptedMessageService() override;  // restores the previous service
    TScriptedMessageService(const TScriptedMessageService &) = delete;
    TScriptedMessageService &operator=(const TScriptedMessageService &) = delete;

    int show(const QString &text, const QString &caption, unsigned flags) override;
    void queueAnswer(int answer) { answers_.push_back(answer); }

    const std::vector<TBox> &boxes() const { return boxes_; }
    void clear() { boxes_.clear(); }

private:
    std::vector<TBox> boxes_;
    std::deque<int> answers_;
    TMessageService *previous_ = nullptr;
};
