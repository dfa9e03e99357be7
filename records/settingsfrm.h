#pragma once

#include <QColor>
#include <QDialog>
#include <QLabel>
#include <optional>

class QComboBox;
class QGroupBox;
class QPushButton;
class QSpinBox;
class TcxTextEdit;
class MainState;
class MainWindowPort;

// A filled rectangle without outline that shows one colour.
class TShape : public QWidget {
    Q_OBJECT
public:
    explicit TShape(QWidget* parent = nullptr);
    QColor brushColor() const { return m_color; }
    void setBrushColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color = Qt::white;
};

// A label that reads as a link and reports every click on it.
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    TLinkLabel(const QString& caption, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The Settings window: the main window's text limits, the palette and the grid's selected-row
// colour, the batch summary's annotation style, the AI service's key and the AI counter.
// It keeps nothing of its own: each box's "Apply" sets the main window's values (MainState),
// and every showing fills the controls from there again.
class TSettingsFrm : public QDialog {
    Q_OBJECT
public:
    TSettingsFrm(MainState& state, MainWindowPort& main, QWidget* parent);

    // "Maximum text input values"
    QGroupBox* cxGroupBox1 = nullptr;
    QLabel* cxLabel1 = nullptr;
    QSpinBox* TitleMax = nullptr;
    QSpinBox* DescriptionMax = nullptr;
    QSpinBox* TagsMax = nullptr;
    QPushButton* cxButton5 = nullptr;  // "Reset to default": no action
    QPushButton* cxButton2 = nullptr;  // "Apply"

    // "Style and color settings"
    QGroupBox* cxGroupBox2 = nullptr;
    TShape* Shape1 = nullptr;          // the grid's selected-row colour
    QPushButton* cxButton4 = nullptr;  // "Change"
    QComboBox* StyleCombo = nullptr;
    QPushButton* cxButton6 = nullptr;  // "Reset to default"
    QPushButton* cxButton3 = nullptr;  // "Apply"

    // "Annotation style"
    QGroupBox* cxGroupBox3 = nullptr;
    QSpinBox* FontSizeEdit = nullptr;
    QComboBox* FontStyleEdit = nullptr;
    TShape* FontColorShape = nullptr;
    QPushButton* cxButton8 = nullptr;  // "Change"
    QPushButton* cxButton9 = nullptr;  // "Reset to default": no action
    QPushButton* cxButton7 = nullptr;  // "Apply"

    // "AI Settings"
    QGroupBox* cxGroupBox4 = nullptr;
    TcxTextEdit* edtAPIKey = nullptr;
    QPushButton* cxButton10 = nullptr;  // "Apply"
    TLinkLabel* LinkLabel1 = nullptr;   // "CLICK HERE": the API-key page
    QPushButton* btnResetAICount = nullptr;

    QPushButton* cxButton11 = nullptr;  // "Help"
    QPushButton* cxButton1 = nullptr;   // "Close"

    // The colour dialog of both "Change" buttons: it starts with the colour it showed last.
    struct ColorDialog {
        QColor Color = Qt::black;
        // The chosen colour, none when cancelled.
        std::optional<QColor> Execute();
    } dxColorDialog1;

    // The AI provider's page for creating and managing API keys.
    static const QString ApiKeyPage;

    void FormShow();
    void cxButton2Click();
    void cxButton3Click();
    void cxButton4Click();
    void cxButton6Click();
    void cxButton7Click();
    void cxButton8Click();
    void cxButton10Click();
    void btnResetAICountClick();
    void LinkLabel1Click();
    void cxButton11Click();
    void cxButton1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildLimits();
    void BuildStyle();
    void BuildAnnotation();
    void BuildAISettings();
    QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                        const QRect& geometry, void (TSettingsFrm::*handler)() = nullptr);

    MainState& m_state;
    MainWindowPort& m_main;
};

extern TSettingsFrm* SettingsFrm;
