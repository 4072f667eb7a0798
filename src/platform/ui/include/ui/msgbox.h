// Message boxes, input boxes, modal forms and the event pump.
//
// Everything the program shows modally goes through the current Operator: the
// default one uses Qt's dialogs, with the normal pointer while a dialog is up
// even when the program shows the wait cursor; tests install a ScriptedOperator, which
// records each box and answers from a queue, so that no test ever waits on a
// real modal box. User-interface thread only.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace ui {

// Buttons, icons and default-button bits of a message-box style.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

// Answers.
enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

// Title given to a box shown without one.
inline constexpr const char* kDefaultTitle = "Tarvolin";

class Operator {
public:
    virtual ~Operator() = default;
    // `details`, when not empty, is offered behind the box's details button.
    virtual int MsgBox(const std::string& prompt, int style, const std::string& title,
                       const std::string& details) = 0;
    // nullopt when the user cancelled.
    virtual std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) = 0;
    // Shows a form modally and returns when it is hidden or closed.
    virtual void ShowModal(QWidget& form) = 0;
    virtual void DoEvents() = 0;
    // Shows that the program waits for something outside it (`prompt`),
    // with a "Cancelar" button; called again and again while the wait lasts
    // (the prompt may change). False once the user gave up.
    virtual bool Waiting(const std::string& prompt, const std::string& title) = 0;
    // The wait is over: its notice goes.
    virtual void WaitOver() = 0;
};

// The box as the program asked for it; title is the effective title. A long
// text (a whole list) goes into `details`, which the box shows only on request,
// so that the box and its buttons stay on the screen.
int MsgBox(const std::string& prompt, int style = vbOKOnly, const std::string& title = {},
           const std::string& details = {});
// What a box shows of a text: the text itself, or, when it has more lines or
// characters than a box can show within the screen, its beginning with a
// note that it was cut; then the details hold the whole text (and the
// details asked for after it). Qt's boxes show this; the operators are
// handed the text as the program asked for it.
struct BoxText {
    std::string prompt;
    std::string details;
};
BoxText FitToScreen(const std::string& prompt, const std::string& details);

// The text typed, or "" when cancelled (as the runtime's InputBox).
std::string InputBox(const std::string& prompt, const std::string& title = {},
                     const std::string& defaultText = {});
void ShowModal(QWidget& form);
void DoEvents();
bool Waiting(const std::string& prompt, const std::string& title = {});
void WaitOver();

// The wait cursor over every window of the program for its scope, shown at
// once (also before a statement blocks the event loop), without drawing
// anything else first. Boxes shown meanwhile have the normal pointer.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

Operator& CurrentOperator();
// Installs an operator; nullptr restores the one backed by Qt.
void SetOperator(Operator* op);

// A box the scripted operator was shown.
struct RecordedBox {
    std::string kind;  // "MsgBox", "InputBox", "ShowModal" or "Waiting"
    std::string title;
    std::string prompt;
    int style = 0;
    std::string details;  // MsgBox only
};

// Answers boxes from queues and records what it was shown. A box with no
// answer queued throws std::logic_error naming the box, so a test fails
// instead of hanging. Installs itself for its lifetime.
class ScriptedOperator : public Operator {
public:
    ScriptedOperator();
    ~ScriptedOperator() override;

    ScriptedOperator& AnswerMsgBox(int answer);
    ScriptedOperator& AnswerInputBox(std::optional<std::string> text);
    // What to do with the next modal form (set its fields, click a button).
    ScriptedOperator& OnModal(std::function<void(QWidget&)> action);
    // How many times the next wait's notice is told before the user gives up
    // (Cancelar); with none queued, waits go on until they end.
    ScriptedOperator& GiveUpWaitingAfter(int notices);

    const std::vector<RecordedBox>& Shown() const { return shown_; }
    std::size_t PendingAnswers() const;
    void ClearShown() { shown_.clear(); }

    int MsgBox(const std::string& prompt, int style, const std::string& title, const std::string& details) override;
    std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    void ShowModal(QWidget& form) override;
    void DoEvents() override;
    // A wait is recorded once, with its first prompt.
    bool Waiting(const std::string& prompt, const std::string& title) override;
    void WaitOver() override;

private:
    std::deque<int> msgAnswers_;
    std::deque<std::optional<std::string>> inputAnswers_;
    std::deque<std::function<void(QWidget&)>> modalActions_;
    std::deque<int> giveUps_;
    bool waiting_ = false;
    bool gaveUp_ = false;  // until the wait is over, as Qt's notice
    int notices_ = 0;      // of the wait going on
    std::vector<RecordedBox> shown_;
    Operator* previous_ = nullptr;
};

}  // namespace ui
