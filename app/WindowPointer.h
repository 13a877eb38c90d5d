#pragma once

#include <QObject>

namespace fk {

// The main window's mouse pointer as a value other code can read: the hourglass means "busy".
class WindowPointer : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefault = 0;
    static constexpr int kHourglass = 11;
    static constexpr int kCustom = 99;

    int value() const { return value_; }
    bool isBusy() const { return value_ == kHourglass; }
    void set(int value) {
        if (value == value_) return;
        value_ = value;
        emit changed(value_);
    }
    // Hover rules: buttons show the custom pointer, background and frame the default,
    // and neither ever replaces the hourglass.
    void hoverButton() {
        if (!isBusy()) set(kCustom);
    }
    void hoverBackground() {
        if (!isBusy()) set(kDefault);
    }

signals:
    void changed(int value);

private:
    int value_ = kDefault;
};

}  // namespace fk
