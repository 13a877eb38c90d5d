#pragma once

#include <QString>
#include <exception>
#include <stdexcept>

namespace fk {

// A run-time error as the error report shows it: a number for callers that react to
// particular errors, and the description text that the user reads.
// Thrown across the office plugin's boundary, so its type must be visible to both sides.
class __attribute__((visibility("default"))) RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description) {}

    int number() const { return number_; }
    const QString& description() const { return description_; }

    static RuntimeError invalidProcedureCall() {
        return {5, QStringLiteral("Invalid procedure call or argument")};
    }
    static RuntimeError overflow() { return {6, QStringLiteral("Overflow")}; }
    static RuntimeError permissionDenied() { return {70, QStringLiteral("Permission denied")}; }
    static RuntimeError pathNotFound() { return {76, QStringLiteral("Path not found")}; }
    static RuntimeError cannotCreateObject() {
        return {429, QStringLiteral("ActiveX component can't create object")};
    }
    // The office program is not there or cannot be run: the one failure that means "not installed".
    static RuntimeError officeNotFound() {
        return {432, QStringLiteral("File name or class name not found during Automation operation")};
    }
    static RuntimeError automation(const QString& what) {
        return {440, QStringLiteral("Automation error: ") + what};
    }

private:
    int number_;
    QString description_;
};

// The description of the exception in `error` as the program reports it: a run-time error's own,
// another exception's message, or `otherwise` for anything else.
inline QString DescriptionOf(std::exception_ptr error,
                             const QString& otherwise = QStringLiteral("Automation error")) {
    try {
        std::rethrow_exception(error);
    } catch (const RuntimeError& runtimeError) {
        return runtimeError.description();
    } catch (const std::exception& other) {
        return QString::fromLocal8Bit(other.what());
    } catch (...) {
        return otherwise;
    }
}

}  // namespace fk
