#include "tests/support/scripted_dialogs.h"

#include <gtest/gtest.h>

void ScriptedDialogs::message(const QString& text, dialogs::Place place) {
    shown.push_back({"message", text, {}, place});
}

void ScriptedDialogs::error(const QString& text) {
    shown.push_back({"error", text, {}});
}

dialogs::Answer ScriptedDialogs::confirm(const QString& text, dialogs::Icon, dialogs::Place place,
                                         bool) {
    shown.push_back({"confirm", text, {}, place});
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return dialogs::Answer::No;
    }
    const dialogs::Answer a = answers.front();
    answers.pop_front();
    return a;
}

void ScriptedDialogs::informationAt(const QString& text, QPoint topLeft) {
    shown.push_back({"information", text, {}});
    lastInformationAt = topLeft;
}

void ScriptedDialogs::messageAt(const QString& text, QPoint topLeft) {
    shown.push_back({"message", text, {}});
    lastPlacedAt = topLeft;
}

dialogs::Answer ScriptedDialogs::confirmAt(const QString& text, dialogs::Icon icon, QPoint centre) {
    lastPlacedAt = centre;
    return confirm(text, icon, dialogs::Place::Default, false);
}

QStringList ScriptedDialogs::openFiles(const dialogs::FileRequest& request) {
    shown.push_back({"open", request.title, request});
    if (openAnswers.empty()) {
        ADD_FAILURE() << "unexpected open dialog: " << request.title.toStdString();
        return {};
    }
    QStringList a = openAnswers.front();
    openAnswers.pop_front();
    return a;
}

std::optional<QString> ScriptedDialogs::saveFile(const dialogs::FileRequest& request) {
    shown.push_back({"save", request.title, request});
    if (saveAnswers.empty()) {
        ADD_FAILURE() << "unexpected save dialog: " << request.title.toStdString();
        return std::nullopt;
    }
    const QString a = saveAnswers.front();
    saveAnswers.pop_front();
    if (a.isEmpty()) return std::nullopt;
    return a;
}

std::optional<int> ScriptedDialogs::chooseColor(int initial) {
    shown.push_back({"color", {}, {}});
    colorInitials.push_back(initial);
    if (colorAnswers.empty()) {
        ADD_FAILURE() << "unexpected colour dialog";
        return std::nullopt;
    }
    auto a = colorAnswers.front();
    colorAnswers.pop_front();
    return a;
}

QStringList ScriptedDialogs::texts(const QString& kind) const {
    QStringList out;
    for (const Shown& s : shown)
        if (s.kind == kind) out << s.text;
    return out;
}

QStringList ScriptedDialogs::allTexts() const {
    QStringList out;
    for (const Shown& s : shown) out << s.text;
    return out;
}

QStringList ScriptedDialogs::centredOnScreen() const {
    QStringList out;
    for (const Shown& s : shown)
        if (s.place == dialogs::Place::ScreenCentre) out << s.text;
    return out;
}
