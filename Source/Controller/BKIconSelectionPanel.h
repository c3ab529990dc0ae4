#pragma once

// The icon chooser of the record details window and of the type panel: the grid of every icon
// (the application's own, then the custom ones), OK, Cancel, and "Add Custom Icons..." which
// imports pictures as custom icons. The import runs the store's addCustomIconsFromImages on a
// store worker while the interface waits; each stored icon reaches the grid through
// "ExternalIconCreated" and is selected there.

#include <QDialog>
#include <QStringList>

#include <functional>
#include <optional>

class BKImageMatrix;
class OTVDataBase;

class BKIconSelectionPanel : public QDialog {
    Q_OBJECT
public:
    explicit BKIconSelectionPanel(OTVDataBase& store, QWidget* parent = nullptr);

    // Runs the panel with `current` selected: the icon chosen with OK, nullopt when cancelled.
    std::optional<int> chooseIcon(int current);
    // Rebuilds the grid from the store.
    void renewIconMatrix();
    BKImageMatrix* imageMatrix() const { return mImageMatrix_; }

    // --- Actions
    void customIconPanelOk();
    void addCustomIcons();

    // The open panel for the pictures to import (several image files; the Pictures folder
    // first). Tests answer with their own files; an empty picker restores the panel.
    using FilePicker = std::function<QStringList(QWidget* parent)>;
    void setFilePicker(FilePicker picker) { mFilePicker_ = std::move(picker); }
    // Runs the import on a worker and returns when it has ended; unset, the application
    // controller's store-worker gate (a plain worker without a controller).
    using StoreWorkerRunner = std::function<void(std::function<void()> work)>;
    void setStoreWorkerRunner(StoreWorkerRunner runner) { mStoreWorkerRunner_ = std::move(runner); }

    // Runs store work on the application controller's store-worker gate, behind its panel (a
    // plain worker when there is no controller); returns when it has ended.
    static void runOnStoreWorker(std::function<void()> work);
    // The platform's open panel for pictures to import.
    static QStringList runImageOpenPanel(QWidget* parent);

private:
    OTVDataBase& store_;
    BKImageMatrix* mImageMatrix_ = nullptr;
    FilePicker mFilePicker_;
    StoreWorkerRunner mStoreWorkerRunner_;
};
