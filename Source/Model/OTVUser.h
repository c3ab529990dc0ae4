#pragma once

#include "OTVUserBase.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QRectF>
#include <QString>

#include <memory>
#include <optional>

// The sort order of the record list: the identifier of the sorted column ("3" is the Field 1
// column) and the direction.
struct SortSpec {
    QString key;
    bool ascending = true;

    friend bool operator==(const SortSpec& a, const SortSpec& b) { return a.key == b.key && a.ascending == b.ascending; }
    friend bool operator!=(const SortSpec& a, const SortSpec& b) { return !(a == b); }
};

// The logged-in user: identity, permission words, groups and every per-user preference.
// The store makes it with createUser before it reads the user's row and preferences over it.
class OTVUser : public OTVUserBase {
public:
    // The defaults of createUser, except that the UID is empty and the window frame is null.
    OTVUser();

    // A new user with a new UID and every default: full rights 7/7/7/7 (until the user's row
    // is read over them), may not change the password, disabled, the default window frame on
    // the primary screen.
    static std::shared_ptr<OTVUser> createUser();

    // The main window's first frame on a screen of width x height: 70 % of the width but at
    // least 1030, 70 % of the height, centred. On a screen narrower than 1030 the frame starts
    // left of the screen (a negative x), as the platform's window manager then places it.
    static QRectF defaultFrame(qreal screenWidth, qreal screenHeight);
    // defaultFrame of the primary screen's full frame; of a 1280 x 800 screen when there is no
    // screen (no GUI application).
    static QRectF defaultWindowFrame();

    // True when any bit of mask is granted by the group, type or record word.
    bool checkGroupPermission(int mask) const;
    bool checkTypePermission(int mask) const;
    bool checkRecordPermission(int mask) const;

    // Behaviour flags.
    bool mAutoLOck() const { return mAutoLOck_; }
    void setMAutoLOck(bool on) { mAutoLOck_ = on; }
    bool mAutoSubmit() const { return mAutoSubmit_; }
    void setMAutoSubmit(bool on) { mAutoSubmit_ = on; }
    bool mCaseInsensitiveSearch() const { return mCaseInsensitiveSearch_; }
    void setMCaseInsensitiveSearch(bool on) { mCaseInsensitiveSearch_ = on; }
    bool mWholeWordSearch() const { return mWholeWordSearch_; }
    void setMWholeWordSearch(bool on) { mWholeWordSearch_ = on; }
    bool mSearchColoum() const { return mSearchColoum_; }
    void setMSearchColoum(bool on) { mSearchColoum_ = on; }
    bool mShowDetailOnPane() const { return mShowDetailOnPane_; }
    void setMShowDetailOnPane(bool on) { mShowDetailOnPane_ = on; }
    bool mAutoLogin() const { return mAutoLogin_; }
    void setMAutoLogin(bool on) { mAutoLogin_ = on; }
    bool mClearClipboardState() const { return mClearClipboardState_; }
    void setMClearClipboardState(bool on) { mClearClipboardState_ = on; }
    bool mClipBoardOnExit() const { return mClipBoardOnExit_; }
    void setMClipBoardOnExit(bool on) { mClipBoardOnExit_ = on; }

    // Timers, in minutes; a clipboard timer of 0 never clears.
    qint16 mLockTime() const { return mLockTime_; }
    void setMLockTime(qint16 minutes) { mLockTime_ = minutes; }
    qint16 mMAxLockTime() const { return mMAxLockTime_; }
    void setMMAxLockTime(qint16 minutes) { mMAxLockTime_ = minutes; }
    qint16 mClearClipBoardTimer() const { return mClearClipBoardTimer_; }
    void setMClearClipBoardTimer(qint16 minutes) { mClearClipBoardTimer_ = minutes; }

    // List display: the mask of shown columns and the widths of the 14 columns (none read yet
    // is std::nullopt), both of the type read or written last; the font and the row colour.
    quint64 mColoumInfo() const { return mColoumInfo_; }
    void setMColoumInfo(quint64 mask) { mColoumInfo_ = mask; }
    const std::optional<QList<int>>& mColoumWidthArray() const { return mColoumWidthArray_; }
    void setMColoumWidthArray(std::optional<QList<int>> widths) { mColoumWidthArray_ = std::move(widths); }
    QFont mTextFont() const { return mTextFont_; }
    void setMTextFont(const QFont& font) { mTextFont_ = font; }
    QColor mRowColor() const { return mRowColor_; }
    void setMRowColor(const QColor& color) { mRowColor_ = color; }

    // Password hint: the answer, the hint last read back and the question (0 is free text).
    QString mHintAnswer() const { return mHintAnswer_; }
    void setMHintAnswer(const QString& answer) { mHintAnswer_ = answer; }
    QString mHintEntered() const { return mHintEntered_; }
    void setMHintEntered(const QString& hint) { mHintEntered_ = hint; }
    qint16 mHintQuestionNumber() const { return mHintQuestionNumber_; }
    void setMHintQuestionNumber(qint16 number) { mHintQuestionNumber_ = number; }

    qint16 mDetailPanelWidth() const { return mDetailPanelWidth_; }
    void setMDetailPanelWidth(qint16 width) { mDetailPanelWidth_ = width; }

    // Password-generator flags.
    quint8 mPwdGenFlag() const { return mPwdGenFlag_; }
    void setMPwdGenFlag(quint8 flags) { mPwdGenFlag_ = flags; }

    // Failed unlock attempts in a row.
    qint16 mLoginAttemptCount() const { return mLoginAttemptCount_; }
    void setMLoginAttemptCount(qint16 count) { mLoginAttemptCount_ = count; }

    qint16 mLastView() const { return mLastView_; }
    void setMLastView(qint16 view) { mLastView_ = view; }

    const std::optional<SortSpec>& mSortingInfo() const { return mSortingInfo_; }
    void setMSortingInfo(std::optional<SortSpec> sorting) { mSortingInfo_ = std::move(sorting); }

    // The main window's frame, in Qt's (top-left origin) screen coordinates.
    QRectF mWindowPosition() const { return mWindowPosition_; }
    void setMWindowPosition(const QRectF& frame) { mWindowPosition_ = frame; }

    // UIDs of the selected type and group; "000000000000FFFF" is all of them.
    QString mCurrentType() const { return mCurrentType_; }
    void setMCurrentType(const QString& uid) { mCurrentType_ = uid; }
    QString mCurrentGroup() const { return mCurrentGroup_; }
    void setMCurrentGroup(const QString& uid) { mCurrentGroup_ = uid; }

    // Frames of the main window's views, by view.
    const QHash<QString, QRectF>& mMainViewRectInfo() const { return mMainViewRectInfo_; }
    void setMMainViewRectInfo(const QHash<QString, QRectF>& frames) { mMainViewRectInfo_ = frames; }

    bool mMinimizeToTray() const { return mMinimizeToTray_; }
    void setMMinimizeToTray(bool on) { mMinimizeToTray_ = on; }
    quint64 mExportImportTip() const { return mExportImportTip_; }
    void setMExportImportTip(quint64 state) { mExportImportTip_ = state; }
    quint64 mBackupRestoreTip() const { return mBackupRestoreTip_; }
    void setMBackupRestoreTip(quint64 state) { mBackupRestoreTip_ = state; }

private:
    bool mAutoLOck_ = false;
    bool mAutoSubmit_ = false;
    bool mCaseInsensitiveSearch_ = true;
    bool mWholeWordSearch_ = true;
    bool mSearchColoum_ = true;
    bool mShowDetailOnPane_ = true;
    bool mAutoLogin_ = true;
    bool mClearClipboardState_ = true;
    bool mClipBoardOnExit_ = true;
    qint16 mLockTime_ = 10;
    qint16 mMAxLockTime_ = 60;
    qint16 mClearClipBoardTimer_ = 0;
    quint64 mColoumInfo_ = 0x2407;  // columns 1, 2, 3, 11 and 14
    std::optional<QList<int>> mColoumWidthArray_;
    QFont mTextFont_;
    QColor mRowColor_{52, 84, 136};
    QString mHintAnswer_;
    QString mHintEntered_;
    qint16 mHintQuestionNumber_ = 0;
    qint16 mDetailPanelWidth_ = 300;
    quint8 mPwdGenFlag_ = 33;  // lower case, pronounceable
    qint16 mLoginAttemptCount_ = 0;
    qint16 mLastView_ = 0;
    std::optional<SortSpec> mSortingInfo_;
    QRectF mWindowPosition_;
    QString mCurrentType_;
    QString mCurrentGroup_;
    QHash<QString, QRectF> mMainViewRectInfo_;
    bool mMinimizeToTray_ = true;
    quint64 mExportImportTip_ = 0;
    quint64 mBackupRestoreTip_ = 0;
};
