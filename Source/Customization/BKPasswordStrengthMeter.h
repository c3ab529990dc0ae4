#pragma once

// A small bar that shows a password's strength between a minimum and a maximum (0 and 1): an
// empty track and, for a value above 0, a fill of v x width in red, orange, yellow or green. It
// draws only the value it is given (PasswordStrength computes it).

#include "Model/PasswordStrength.h"

#include <QRectF>
#include <QWidget>

#include <optional>

class BKPasswordStrengthMeter : public QWidget {
    Q_OBJECT
public:
    // The bar is this high, centred in the widget; its ends are round caps.
    static constexpr qreal kBarHeight = 9;

    // A bar's three pieces: the left cap, the middle and the right cap.
    struct Bar {
        QRectF left;
        QRectF mid;
        QRectF right;
    };
    // The empty track in `bounds`: caps 4.5 wide, the middle ceil(w - 9 + 1) wide from 4.5.
    static Bar trackGeometry(const QRectF& bounds);
    // The fill for value v (already clamped): none for 0; else f = v x w, caps 5 wide at 0 and
    // f - 4.5, the middle ceil(f - 9 + 1) wide from 4.5 (none when that is not positive).
    static std::optional<Bar> fillGeometry(float value, const QRectF& bounds);

    explicit BKPasswordStrengthMeter(QWidget* parent = nullptr);

    // Clamped to [minimum, maximum]: raised to the minimum first, then lowered to the maximum.
    void setStrenth(float value);
    float strength() const { return mProgress_; }
    void setMinValue(float value) { mMinValue_ = value; }
    void setMaxValue(float value) { mMaxValue_ = value; }
    PasswordStrength::MeterColour colour() const { return PasswordStrength::meterColourFor(mProgress_); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    float mMinValue_ = 0;
    float mMaxValue_ = 1;
    float mProgress_ = 0;
};
