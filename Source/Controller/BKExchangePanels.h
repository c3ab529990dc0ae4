#pragma once

#include "BKExchangePrompts.h"

class QWidget;

// The exchange prompts as the desktop shows them: Qt's own file dialog with the scope choice
// and the attachments box below it, and small password dialogs, all application-modal over
// `parent`.
class BKExchangePanels final : public BKExchangePrompts {
public:
    explicit BKExchangePanels(QWidget* parent) : parent_(parent) {}

    std::optional<BKExportPanelAnswer> runExportPanel(const BKExportPanelSetup& setup) override;
    QString runOpenPanel(const QString& fileType) override;
    std::optional<QString>
    runExportPasswordSheet(const std::function<bool(const QString&, const QString&)>& accept) override;
    std::optional<QString> runImportPasswordSheet(const std::function<bool(const QString&)>& accept) override;

private:
    QWidget* parent_;
};
