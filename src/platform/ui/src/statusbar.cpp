#include "ui/statusbar.h"

#include <QLabel>
#include <QString>

#include "vb/error.h"
#include "vb/text.h"

namespace ui {

void StatusBarPanel::SetText(std::string text) {
    text_ = std::move(text);
    label_->setText(QString::fromStdString(text_));
}

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent) { setSizeGripEnabled(false); }

StatusBar::~StatusBar() = default;

StatusBarPanel& StatusBar::AddPanel(std::string key, std::string text, int stretch) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromStdString(key));
    addWidget(label, stretch);
    panels_.push_back(std::unique_ptr<StatusBarPanel>(new StatusBarPanel(label)));
    StatusBarPanel& panel = *panels_.back();
    panel.SetKey(std::move(key));
    panel.SetText(std::move(text));
    return panel;
}

StatusBarPanel& StatusBar::Panels(long index) {
    if (index < 1 || index > PanelCount()) vb::Raise(kErrIndexOutOfBounds, "Index out of bounds");
    return *panels_[static_cast<std::size_t>(index - 1)];
}

StatusBarPanel& StatusBar::Panels(std::string_view key) {
    for (const auto& panel : panels_) {
        if (vb::Equals(panel->Key(), key)) return *panel;
    }
    vb::Raise(kErrElementNotFound, "Element not found");
}

}  // namespace ui
