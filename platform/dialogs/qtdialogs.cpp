#include <QApplication>
#include <QColorDialog>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include "platform/dialogs/dialogs.h"
#include "platform/skin/skin.h"
#include "platform/widgets/window_place.h"

namespace dialogs {
namespace {

// A box or file dialog belongs to the modal window in front, so that it comes above that
// window also when the window stays on top of the others; else to the active window.
QWidget* parentWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

// The program's messages break lines with CR or CR LF; the box breaks them at LF.
QString forDisplay(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace('\r', '\n');
    return text;
}

QMessageBox::Icon toQt(Icon icon) {
    switch (icon) {
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Warning:
            return QMessageBox::Warning;
        case Icon::Error:
            return QMessageBox::Critical;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Puts a box with its centre at a point. A message box takes its size as it is shown, so it
// is placed then, once it has laid itself out and before it is on the screen.
class CentreAt : public QObject {
public:
    CentreAt(QWidget* box, QPoint centre) : QObject(box), m_centre(centre) {
        box->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        auto* box = static_cast<QWidget*>(watched);
        box->removeEventFilter(this);
        watched->event(event);
        centreAt(box, m_centre, box->parentWidget());
        return true;
    }

private:
    QPoint m_centre;
};

// The centre of the screen that a box belonging to owner opens on (the owner's, else the
// primary screen), within the area that panels leave free.
QPoint screenCentre(const QWidget* owner) {
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QRect area = screen->availableGeometry();
    return {area.left() + area.width() / 2, area.top() + area.height() / 2};
}

// Places a box that is about to be shown.
void place(QMessageBox* box, Place place) {
    if (place == Place::ScreenCentre) new CentreAt(box, screenCentre(box->parentWidget()));
}

QFileDialog* makeDialog(const FileRequest& r, QFileDialog::AcceptMode mode) {
    auto* d = new QFileDialog(parentWindow(), r.title, r.initialDir, toQtFilter(r.filter));
    d->setAcceptMode(mode);
    if (!r.defaultSuffix.isEmpty()) d->setDefaultSuffix(r.defaultSuffix);
    if (!r.fileName.isEmpty()) d->selectFile(r.fileName);
    if (mode == QFileDialog::AcceptOpen)
        d->setFileMode(r.multiSelect
                           ? QFileDialog::ExistingFiles
                           : (r.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
    else if (!r.overwritePrompt)
        d->setOption(QFileDialog::DontConfirmOverwrite, true);
    return d;
}

class QtDialogs final : public Dialogs {
public:
    void message(const QString& text, Place where) override {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                        forDisplay(text), QMessageBox::Ok, parentWindow());
        place(&box, where);
        box.exec();
    }
    void error(const QString& text) override {
        QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                        forDisplay(text), QMessageBox::Ok, parentWindow());
        box.exec();
    }
    Answer confirm(const QString& text, Icon icon, Place where, bool withCancel) override {
        auto buttons = QMessageBox::Yes | QMessageBox::No;
        if (withCancel) buttons |= QMessageBox::Cancel;
        QMessageBox box(toQt(icon), QApplication::applicationDisplayName(), forDisplay(text),
                        buttons, parentWindow());
        place(&box, where);
        switch (box.exec()) {
            case QMessageBox::Yes:
                return Answer::Yes;
            case QMessageBox::No:
                return Answer::No;
            default:
                return Answer::Cancel;
        }
    }
    void informationAt(const QString& text, QPoint topLeft) override {
        showAt(QMessageBox::Information, text, topLeft);
    }
    void messageAt(const QString& text, QPoint topLeft) override {
        showAt(QMessageBox::NoIcon, text, topLeft);
    }
    Answer confirmAt(const QString& text, Icon icon, QPoint centre) override {
        QMessageBox box(toQt(icon), QApplication::applicationDisplayName(), forDisplay(text),
                        QMessageBox::Yes | QMessageBox::No, parentWindow());
        new CentreAt(&box, centre);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    QStringList openFiles(const FileRequest& r) override {
        std::unique_ptr<QFileDialog> d(makeDialog(r, QFileDialog::AcceptOpen));
        if (d->exec() != QDialog::Accepted) return {};
        return d->selectedFiles();
    }
    std::optional<QString> saveFile(const FileRequest& r) override {
        std::unique_ptr<QFileDialog> d(makeDialog(r, QFileDialog::AcceptSave));
        if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return std::nullopt;
        return d->selectedFiles().first();
    }
    std::optional<int> chooseColor(int initial) override {
        const QColor c = QColorDialog::getColor(skin::fromColorValue(initial), parentWindow());
        if (!c.isValid()) return std::nullopt;
        return skin::toColorValue(c);
    }

private:
    // A box with an OK button, the top-left corner of its frame at a screen point.
    static void showAt(QMessageBox::Icon icon, const QString& text, QPoint topLeft) {
        QMessageBox box(icon, QApplication::applicationDisplayName(), forDisplay(text),
                        QMessageBox::Ok, parentWindow());
        moveFrameTo(&box, topLeft, box.parentWidget());
        box.exec();
    }
};

}  // namespace

Dialogs* qtDialogs() {
    static QtDialogs instance;
    return &instance;
}

}  // namespace dialogs
