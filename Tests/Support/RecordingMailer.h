#pragma once

#include "Platform/BKMailer.h"

#include <QStringList>

// A fake mail program: records the files it was asked to mail, with what each held at that
// moment, and answers `succeeds` (and then takes the file at once). Installs itself for its
// lifetime.
class RecordingMailer final : public BKMailer {
public:
    RecordingMailer() { BKMailer::install(this); }
    ~RecordingMailer() override { BKMailer::install(nullptr); }

    bool mailFileAsAttachment(const QString& path, std::function<void()> tookFile) override
    {
        mailed.append(path);
        if (succeeds && tookFile)
            tookFile();
        return succeeds;
    }

    QStringList mailed;
    bool succeeds = true;
};
