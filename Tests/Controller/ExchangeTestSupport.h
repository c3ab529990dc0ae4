#pragma once

// Scripted answers for the exchange commands' prompts, so that the commands run headless.

#include "Controller/BKExchangePrompts.h"

#include <QList>
#include <QStringList>

class ScriptedExchangePrompts final : public BKExchangePrompts {
public:
    // Each panel or sheet takes the next answer of its list; a missing answer is a Cancel.
    QList<std::optional<BKExportPanelAnswer>> exportAnswers;
    QStringList openAnswers;
    // Every entry is one press of OK with these fields; the sheet stays while `accept` refuses.
    QList<QPair<QString, QString>> exportPasswords;
    QStringList importPasswords;

    // What the commands asked for.
    QList<BKExportPanelSetup> exportSetups;
    QStringList openTypes;
    int exportSheets = 0;
    int importSheets = 0;

    std::optional<BKExportPanelAnswer> runExportPanel(const BKExportPanelSetup& setup) override
    {
        exportSetups.append(setup);
        if (exportAnswers.isEmpty() || !exportAnswers.constFirst())
            return exportAnswers.isEmpty() ? std::nullopt : exportAnswers.takeFirst();
        BKExportPanelAnswer answer = *exportAnswers.takeFirst();
        // The box as the panel leaves it: on only where it is shown and enabled for the scope.
        const bool enabled = setup.attachmentsBoxShown && !setup.attachmentsBoxFixedOff && setup.scopeHasAttachment
                             && setup.scopeHasAttachment(BKExportScopeForRow(answer.scopeRow));
        answer.attachments = answer.attachments && enabled;
        return answer;
    }
    QString runOpenPanel(const QString& fileType) override
    {
        openTypes.append(fileType);
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    std::optional<QString>
    runExportPasswordSheet(const std::function<bool(const QString&, const QString&)>& accept) override
    {
        ++exportSheets;
        while (!exportPasswords.isEmpty()) {
            const auto [password, confirm] = exportPasswords.takeFirst();
            if (accept(password, confirm))
                return password;
        }
        return std::nullopt;
    }
    std::optional<QString> runImportPasswordSheet(const std::function<bool(const QString&)>& accept) override
    {
        ++importSheets;
        while (!importPasswords.isEmpty()) {
            const QString password = importPasswords.takeFirst();
            if (accept(password))
                return password;
        }
        return std::nullopt;
    }
};

inline BKExportPanelAnswer exportTo(const QString& path, int scopeRow = 2, bool attachments = true)
{
    BKExportPanelAnswer answer;
    answer.path = path;
    answer.scopeRow = scopeRow;
    answer.attachments = attachments;
    return answer;
}
