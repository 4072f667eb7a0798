// A status bar of text panels, reached by position (from 1) and by key.
//
// Each panel is a label in the bar, in the order the panels were added.
// Reaching a panel that does not exist raises a vb::Error (kErrIndexOutOfBounds
// by position, kErrElementNotFound by key), so a caller's handler sees it as it
// sees any other failure. User-interface thread only.
#pragma once

#include <QStatusBar>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QLabel;

namespace ui {

inline constexpr long kErrIndexOutOfBounds = 35600;
inline constexpr long kErrElementNotFound = 35601;

class StatusBarPanel {
public:
    const std::string& Text() const { return text_; }
    void SetText(std::string text);
    const std::string& Key() const { return key_; }
    void SetKey(std::string key) { key_ = std::move(key); }

private:
    friend class StatusBar;
    explicit StatusBarPanel(QLabel* label) : label_(label) {}

    QLabel* label_;  // owned by the bar
    std::string text_;
    std::string key_;
};

class StatusBar : public QStatusBar {
public:
    explicit StatusBar(QWidget* parent = nullptr);
    ~StatusBar() override;

    // Appends a panel; `stretch` as QStatusBar::addWidget takes it.
    StatusBarPanel& AddPanel(std::string key = {}, std::string text = {}, int stretch = 0);
    long PanelCount() const { return static_cast<long>(panels_.size()); }
    // The panel at a position from 1 to PanelCount().
    StatusBarPanel& Panels(long index);
    // The first panel whose key equals `key`, letter case ignored.
    StatusBarPanel& Panels(std::string_view key);

private:
    std::vector<std::unique_ptr<StatusBarPanel>> panels_;
};

}  // namespace ui
