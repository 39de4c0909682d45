#include "app/Fmain.h"

#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QValidator>
#include <algorithm>
#include <limits>
#include <utility>

#include "app/application.h"
#include "app/dialogs.h"
#include "core/generator.h"
#include "core/numtext.h"
#include "core/random.h"
#include "core/window_texts.h"
#include "core/worked_multiplication.h"
#include "drawing/worksheet.h"
#include "output/sheet_view.h"

namespace {

constexpr int OuterWidth = 792;
constexpr int OuterHeight = 522;
constexpr int HintDurationMs = 2500;

// Character heights are em heights: the internal leading is not part of them, which is
// exactly what a pixel size means to Qt.
QFont FaceFont(const QString& face, int characterHeight) {
    QFont font(face);
    font.setPixelSize(characterHeight);
    return font;
}

constexpr Qt::InputMethodHints NumberInput =
    Qt::ImhPreferNumbers | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase;

// A limit of one character: one character, whatever its size in UTF-16. Qt's own limit counts
// units and would cut a character outside the basic plane in half. Text beyond the first
// character is dropped, as a typed or pasted excess was before.
class TOneCharacter : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        const QList<uint> characters = input.toUcs4();
        if (characters.size() > 1) {
            input = QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), 1);
            pos = std::min<int>(pos, static_cast<int>(input.size()));
        }
        return Acceptable;
    }
};

void LimitToOneCharacter(QLineEdit* field) {
    field->setMaxLength(2);  // a surrogate pair; the validator keeps one character
    field->setValidator(new TOneCharacter(field));
}

const QString WindowFace = QStringLiteral("ＭＳ Ｐゴシック");
const QString MinchoFace = QStringLiteral("ＭＳ 明朝");

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    CreateControls();
    Guarded([this] { FormCreate(); });
    CentreOnScreen();
}

TForm1::~TForm1() = default;

void TForm1::CreateControls() {
    LoadGlyphResources();
    setWindowTitle(QStringLiteral("Tavrelo For かけ算（小数編）"));
    setFont(FaceFont(WindowFace, 15));

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidgetResizable(true);
    scroll_->viewport()->setBackgroundRole(QPalette::Button);
    client_ = new QWidget;
    client_->setBackgroundRole(QPalette::Button);
    client_->setAutoFillBackground(true);
    // In place before any label is sized, so that the labels measure their text in the window font.
    scroll_->setWidget(client_);
    setCentralWidget(scroll_);

    // Frames and shapes first: they lie beneath the labels and fields.
    auto bevel = [this](int x, int y, int w, int h) {
        auto* b = new TBevel(client_);
        b->setGeometry(x, y, w, h);
        return b;
    };
    Bevel2 = bevel(8, 8, 353, 41);
    Bevel11 = bevel(8, 88, 417, 65);
    Bevel12 = bevel(8, 160, 417, 209);
    Bevel1 = bevel(440, 24, 337, 457);
    Bevel14 = bevel(56, 168, 65, 41);
    Bevel6 = bevel(128, 168, 65, 41);
    Bevel5 = bevel(208, 168, 65, 41);
    Bevel4 = bevel(280, 168, 65, 41);
    Bevel3 = bevel(352, 168, 65, 41);
    Bevel15 = bevel(56, 216, 65, 41);
    Bevel7 = bevel(128, 216, 65, 41);
    Bevel8 = bevel(208, 216, 65, 41);
    Bevel9 = bevel(280, 216, 65, 41);
    Bevel10 = bevel(352, 216, 65, 41);
    // The numbering has a gap here: no frame of the window is the thirteenth.
    Bevel13 = new TBevel(client_);
    Bevel13->setGeometry(0, 0, 0, 0);
    Bevel13->hide();

    Shape1 = new TShape(TShape::Kind::Rectangle, client_);
    Shape1->setGeometry(24, 264, 393, 5);
    Shape2 = new TShape(TShape::Kind::Circle, client_);
    Shape2->setGeometry(200, 200, 5, 5);
    Shape3 = new TShape(TShape::Kind::Circle, client_);
    Shape3->setGeometry(200, 248, 5, 5);

    auto label = [this](int x, int y, const QString& text, const QFont* font = nullptr,
                        const QColor* colour = nullptr) {
        auto* l = new QLabel(text, client_);
        l->setTextFormat(Qt::PlainText);
        if (font) l->setFont(*font);
        // Labels would take the client area's button text role; their own colour is the one drawn.
        l->setForegroundRole(QPalette::WindowText);
        if (colour) {
            QPalette p = l->palette();
            p.setColor(QPalette::WindowText, *colour);
            l->setPalette(p);
        }
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    const QFont mincho13 = FaceFont(MinchoFace, 13);
    const QFont gothic33 = FaceFont(WindowFace, 33);
    const QFont gothic20 = FaceFont(WindowFace, 20);
    const QColor purple(128, 0, 128), teal(0, 128, 128);
    Label14 = label(16, 16, QStringLiteral("Tavrelo For かけ算（小数編） Ver1.22"), &mincho13, &purple);
    Label12 = label(568, 4, QStringLiteral("ﾌﾟﾚﾋﾞｭｰ画面↓"), &mincho13, &teal);
    Label1 = label(16, 96, QString::fromUtf8(SentenceLabel));
    Label13 = label(16, 168, QString::fromUtf8(SettingsLabel));
    Label2 = label(24, 224, QStringLiteral("×"), &gothic33);
    Label16 = label(32, 284, QString::fromUtf8(AnswerRangeLabel));
    Label11 = label(264, 284, QStringLiteral("～"), &gothic20);
    Label15 = label(16, 320, QString::fromUtf8(NumberLabel));
    const QString wave = QStringLiteral("～");
    Label17 = label(80, 180, wave);
    Label18 = label(80, 228, wave);
    Label3 = label(152, 180, wave);
    Label7 = label(152, 228, wave);
    Label4 = label(232, 180, wave);
    Label8 = label(232, 228, wave);
    Label5 = label(304, 180, wave);
    Label9 = label(304, 228, wave);
    Label6 = label(376, 180, wave);
    Label10 = label(376, 228, wave);

    auto edit = [this](int x, int y, int w, const QString& text, int maxLength, const QString& hint) {
        auto* e = new QLineEdit(text, client_);
        e->setGeometry(x, y, w, 23);
        e->setMaxLength(maxLength);
        e->setToolTip(hint);
        e->setToolTipDuration(HintDurationMs);
        return e;
    };
    // Qt's own default would cut the free-text fields at 32767 characters.
    constexpr int NoLimit = std::numeric_limits<int>::max();
    const QString zero = QStringLiteral("0");
    // Each hint names the place its field is for.
    const QString hint5 = QString::fromUtf8(DigitFieldHints[4]);
    const QString hint4 = QString::fromUtf8(DigitFieldHints[3]);
    const QString hint3 = QString::fromUtf8(DigitFieldHints[2]);
    const QString hint2 = QString::fromUtf8(DigitFieldHints[1]);
    const QString hint1 = QString::fromUtf8(DigitFieldHints[0]);
    u5l = edit(64, 176, 17, zero, 1, hint5);
    u5h = edit(96, 176, 17, zero, 1, hint5);
    u4l = edit(136, 176, 17, zero, 1, hint4);
    u4h = edit(168, 176, 17, zero, 1, hint4);
    u3l = edit(216, 176, 17, zero, 1, hint3);
    u3h = edit(248, 176, 17, zero, 1, hint3);
    u2l = edit(288, 176, 17, zero, 1, hint2);
    u2h = edit(320, 176, 17, zero, 1, hint2);
    u1l = edit(360, 176, 17, zero, 1, hint1);
    u1h = edit(392, 176, 17, zero, 1, hint1);
    d5l = edit(64, 224, 17, zero, 1, hint5);
    d5h = edit(96, 224, 17, zero, 1, hint5);
    d4l = edit(136, 224, 17, zero, 1, hint4);
    d4h = edit(168, 224, 17, zero, 1, hint4);
    d3l = edit(216, 224, 17, zero, 1, hint3);
    d3h = edit(248, 224, 17, zero, 1, hint3);
    d2l = edit(288, 224, 17, zero, 1, hint2);
    d2h = edit(320, 224, 17, zero, 1, hint2);
    d1l = edit(360, 224, 17, zero, 1, hint1);
    d1h = edit(392, 224, 17, zero, 1, hint1);
    for (QLineEdit* field : DigitFields()) {
        field->installEventFilter(this);
        LimitToOneCharacter(field);
    }

    QstSentence = edit(16, 120, 393, QString::fromUtf8(DefaultSentence), NoLimit, QString::fromUtf8(SentenceFieldHint));
    AnsLow = edit(144, 280, 97, zero, 11, QString::fromUtf8(AnswerFieldHint));
    AnsHigh = edit(304, 280, 97, zero, 11, QString::fromUtf8(AnswerFieldHint));
    PrnNum = edit(104, 320, 57, QStringLiteral("1"), NoLimit, QString::fromUtf8(NumberFieldHint));

    // A screen reader reads a field's name, not its hint, and one hint serves four fields:
    // the name says which number, place and bound the field is for.
    const auto digitFields = DigitFields();
    for (std::size_t k = 0; k < 5; ++k) {
        const QString multiplicand = QStringLiteral("かけられる数 ") + QString::fromUtf8(PlaceNames[k]);
        const QString multiplier = QStringLiteral("かける数 ") + QString::fromUtf8(PlaceNames[k]);
        digitFields[4 * k]->setAccessibleName(multiplicand + QStringLiteral(" 下限"));
        digitFields[4 * k + 1]->setAccessibleName(multiplicand + QStringLiteral(" 上限"));
        digitFields[4 * k + 2]->setAccessibleName(multiplier + QStringLiteral(" 下限"));
        digitFields[4 * k + 3]->setAccessibleName(multiplier + QStringLiteral(" 上限"));
    }
    AnsLow->setAccessibleName(QStringLiteral("答えの範囲 下限"));
    AnsHigh->setAccessibleName(QStringLiteral("答えの範囲 上限"));
    PrnNum->setAccessibleName(QStringLiteral("プリント番号"));
    QstSentence->setAccessibleName(QStringLiteral("問題文"));

    // Numbers are typed in Latin digits; a Japanese input method left on would give "５".
    for (QLineEdit* field : DigitFields()) field->setInputMethodHints(NumberInput);
    for (QLineEdit* field : {AnsLow, AnsHigh, PrnNum}) field->setInputMethodHints(NumberInput);

    QNumPattern = new TRadioGroup(QString::fromUtf8(CountLabel),
                                  {QString::fromUtf8(CountChoices[0]), QString::fromUtf8(CountChoices[1])}, 2, client_);
    QNumPattern->setGeometry(184, 312, 161, 49);

    auto button = [this](int x, int y, const QString& caption, const QString& hint, const QIcon& glyph) {
        auto* b = new QPushButton(caption, client_);
        b->setGeometry(x, y, 129, 25);
        b->setToolTip(hint);
        b->setToolTipDuration(HintDurationMs);
        b->setIcon(glyph);
        b->setIconSize(QSize(16, 16));
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    const QIcon printer(QStringLiteral(":/glyphs/printer.xpm"));
    btnPreview = button(40, 376, QString::fromUtf8(PreviewLabel), QStringLiteral("印刷イメージを見る"),
                        QIcon(QStringLiteral(":/glyphs/preview.xpm")));
    btnPrint = button(216, 376, QString::fromUtf8(PrintLabel), QStringLiteral("解答なしで印刷"), printer);
    btnMaintenance = button(40, 416, QStringLiteral("印刷設定"), QStringLiteral("印刷の設定を変更"),
                            QIcon(QStringLiteral(":/glyphs/maintenance.xpm")));
    btnPrintWithAns = button(216, 416, QStringLiteral("印刷（答えつき）"), QStringLiteral("解答ありで印刷"), printer);
    QIcon door(QStringLiteral(":/glyphs/close.xpm"));
    door.addFile(QStringLiteral(":/glyphs/close-disabled.xpm"), QSize(), QIcon::Disabled);
    btnClose = button(40, 456, QStringLiteral("終了"), QStringLiteral("プログラムを終了"), door);
    btnClose->setIconSize(QSize(18, 18));
    btnPrint->setEnabled(false);
    btnPrintWithAns->setEnabled(false);

    PaintBox1 =
        new TPaintBox([this](QPainter& painter) { GuardedPaint(painter, [&] { PaintBox1Paint(painter); }); }, client_);
    PaintBox1->setGeometry(448, 32, 320, 441);
    // The small preview cannot show the points legibly: a double-click opens it enlarged, and
    // so does Ctrl+L for the keyboard, without the preview taking a place in the tab order.
    PaintBox1->setToolTip(QStringLiteral("ダブルクリックまたは Ctrl+L で拡大"));
    PaintBox1->setToolTipDuration(HintDurationMs);
    PaintBox1->SetDoubleClick([this] { Guarded([this] { PaintBox1DblClick(); }); });
    auto* enlarge = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(enlarge, &QShortcut::activated, this, [this] { Guarded([this] { PaintBox1DblClick(); }); });
    // What a screen reader says of the page, since it cannot read the drawing.
    PaintBox1->setAccessibleName(QStringLiteral("プレビュー画面"));
    PaintBox1->setAccessibleDescription(SheetDescription());

    // Object names as the rest of the program knows the controls.
    const std::pair<QWidget*, const char*> named[] = {
        {u1l, "u1l"},
        {u1h, "u1h"},
        {u2l, "u2l"},
        {u2h, "u2h"},
        {u3l, "u3l"},
        {u3h, "u3h"},
        {u4l, "u4l"},
        {u4h, "u4h"},
        {u5l, "u5l"},
        {u5h, "u5h"},
        {d1l, "d1l"},
        {d1h, "d1h"},
        {d2l, "d2l"},
        {d2h, "d2h"},
        {d3l, "d3l"},
        {d3h, "d3h"},
        {d4l, "d4l"},
        {d4h, "d4h"},
        {d5l, "d5l"},
        {d5h, "d5h"},
        {AnsLow, "AnsLow"},
        {AnsHigh, "AnsHigh"},
        {PrnNum, "PrnNum"},
        {QstSentence, "QstSentence"},
        {QNumPattern, "QNumPattern"},
        {btnPreview, "btnPreview"},
        {btnPrint, "btnPrint"},
        {btnPrintWithAns, "btnPrintWithAns"},
        {btnMaintenance, "btnMaintenance"},
        {btnClose, "btnClose"},
        {PaintBox1, "PaintBox1"},
        {Label1, "Label1"},
        {Label2, "Label2"},
        {Label3, "Label3"},
        {Label4, "Label4"},
        {Label5, "Label5"},
        {Label6, "Label6"},
        {Label7, "Label7"},
        {Label8, "Label8"},
        {Label9, "Label9"},
        {Label10, "Label10"},
        {Label11, "Label11"},
        {Label12, "Label12"},
        {Label13, "Label13"},
        {Label14, "Label14"},
        {Label15, "Label15"},
        {Label16, "Label16"},
        {Label17, "Label17"},
        {Label18, "Label18"},
        {Bevel1, "Bevel1"},
        {Bevel2, "Bevel2"},
        {Bevel3, "Bevel3"},
        {Bevel4, "Bevel4"},
        {Bevel5, "Bevel5"},
        {Bevel6, "Bevel6"},
        {Bevel7, "Bevel7"},
        {Bevel8, "Bevel8"},
        {Bevel9, "Bevel9"},
        {Bevel10, "Bevel10"},
        {Bevel11, "Bevel11"},
        {Bevel12, "Bevel12"},
        {Bevel13, "Bevel13"},
        {Bevel14, "Bevel14"},
        {Bevel15, "Bevel15"},
        {Shape1, "Shape1"},
        {Shape2, "Shape2"},
        {Shape3, "Shape3"},
    };
    for (const auto& [widget, name] : named) widget->setObjectName(QLatin1String(name));

    connect(btnPreview, &QPushButton::clicked, this, [this] { Guarded([this] { btnPreviewClick(); }); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { Guarded([this] { btnPrintClick(); }); });
    connect(btnPrintWithAns, &QPushButton::clicked, this, [this] { Guarded([this] { btnPrintWithAnsClick(); }); });
    connect(btnMaintenance, &QPushButton::clicked, this, [this] { Guarded([this] { btnMaintenanceClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    // The enlarged view shows the sentence as it is typed, as the next repaint would.
    connect(QstSentence, &QLineEdit::textChanged, this, [this] { TSheetView::RefreshFor(this); });
    // Enter and Return click a focused button as Space does; there is still no default button.
    for (QPushButton* b : {btnPreview, btnPrint, btnPrintWithAns, btnMaintenance, btnClose})
        b->installEventFilter(this);

    QWidget* const order[] = {u1l,
                              u1h,
                              u2l,
                              u2h,
                              u3l,
                              u3h,
                              u4l,
                              u4h,
                              d1l,
                              d1h,
                              d2l,
                              d2h,
                              d3l,
                              d3h,
                              d4l,
                              d4h,
                              AnsLow,
                              AnsHigh,
                              PrnNum,
                              QstSentence,
                              btnPrint,
                              btnPrintWithAns,
                              btnPreview,
                              btnMaintenance,
                              btnClose,
                              QNumPattern->Item(0),
                              QNumPattern->Item(1),
                              u5l,
                              u5h,
                              d5l,
                              d5h,
                              u1l};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    u1l->setFocus(Qt::OtherFocusReason);

    // Everything stays where it is; a window smaller than this gets scroll bars.
    const QRect covered = client_->childrenRect();
    client_->setMinimumSize(covered.right() + 1, covered.bottom() + 1);
}

std::array<QLineEdit*, 20> TForm1::DigitFields() const {
    return {u1l, u1h, d1l, d1h, u2l, u2h, d2l, d2h, u3l, u3h, d3l, d3h, u4l, u4h, d4l, d4h, u5l, u5h, d5l, d5h};
}

void TForm1::FormCreate() {
    SetOuterHeight(OuterHeight);
    SetOuterWidth(OuterWidth);
    State.PreviewReady = false;
    Random = TRandom(ClockSeed());
    State.ProblemCount = 0;
    State.PrintNumber = ParseInteger(PrnNum->text().toStdString());
}

void TForm1::KuhakuCheck(QLineEdit* Sender) {
    if (Sender->text().isEmpty()) Sender->setText(QStringLiteral("0"));
}

void TForm1::btnPreviewClick() {
    State.PrintNumber = ParseInteger(PrnNum->text().toStdString());

    GenerationSettings settings;
    settings.RequestedCount = 4 * QNumPattern->ItemIndex() + 12;
    settings.AnswerLowText = AnsLow->text().toStdString();
    settings.AnswerHighText = AnsHigh->text().toStdString();
    const auto fields = DigitFields();
    for (std::size_t k = 0; k < settings.DigitRanges.size(); ++k) {
        settings.DigitRanges[k] = {fields[4 * k]->text().toStdString(), fields[4 * k + 1]->text().toStdString(),
                                   fields[4 * k + 2]->text().toStdString(), fields[4 * k + 3]->text().toStdString()};
    }

    if (GenerateProblems(settings, Random, State.Problems, State.ProblemCount) == GenerationResult::GaveUp) {
        Dialogs().Beep();
        Dialogs().WarningBox(this, QString::fromUtf8(ShortSetCaption), QString::fromUtf8(ShortSetWarning));
    }

    // The set and its texts are complete here: show it and allow printing.
    if (PreviewHandOff(State)) {
        btnPrint->setEnabled(true);
        btnPrintWithAns->setEnabled(true);
    }
    // Also after a Preview that kept 0 to 3 problems: Qt would otherwise keep showing the old
    // page while Print prints the new set.
    ShowCurrentSheet();
}

void TForm1::ShowCurrentSheet() {
    if (State.PreviewReady) PaintBox1->update();
    PaintBox1->setAccessibleDescription(SheetDescription());
    TSheetView::RefreshFor(this);
}

QString TForm1::SheetDescription() const {
    if (!State.PreviewReady || State.ProblemCount <= 0)
        return QStringLiteral("問題はまだありません。プレビューで問題が作られます。");
    // Only what the page shows: a short set's incomplete last row is neither drawn nor printed,
    // and 1 to 3 problems leave the header alone.
    const std::int32_t shown = ProblemsOnPage(State.ProblemCount);
    QString text =
        QStringLiteral("問題No.%1、%2問。").arg(QString::fromStdString(FormatInteger(State.PrintNumber))).arg(shown);
    for (int k = 1; k <= shown; ++k) {
        const Problem& p = State.Problems[k];
        // The preview's own working: the product is read as the figure writes it.
        const TWorkedMultiplication worked =
            WorkMultiplication(p.MultiplicandText, p.MultiplierText, TPageStyle::Plain().Figure);
        text += QStringLiteral("（%1）%2 × %3 ＝ %4。")
                    .arg(k)
                    .arg(QString::fromStdString(worked.Multiplicand.Text),
                         QString::fromStdString(worked.Multiplier.Text), QString::fromStdString(worked.ProductValue));
    }
    return text;
}

void TForm1::PaintBox1DblClick() {
    TSheetView::ShowFor(
        this,
        [this](TCanvas& canvas, std::int32_t width, std::int32_t height, bool answers) {
            DrawSheetPage(SheetSource(), canvas, width, height, answers);
        },
        [](const std::exception& error) { ShowError(error); });
}

TSheetSource TForm1::SheetSource() {
    return TSheetSource{State, [this] { return QstSentence->text().toStdString(); }, PaintBox1->width(),
                        PaintBox1->height()};
}

void TForm1::PaintBox1Paint(QPainter& painter) { PaintPreview(SheetSource(), painter); }

void TForm1::btnPrintClick() { PrintCommand(false); }

void TForm1::btnPrintWithAnsClick() { PrintCommand(true); }

void TForm1::PrintCommand(bool withAnswers) {
    State.PrintNumber = ParseInteger(PrnNum->text().toStdString());
    const std::int32_t next = PrintSheets(SheetSource(), withAnswers);
    PrnNum->setText(QString::fromStdString(FormatInteger(next)));
    ShowCurrentSheet();  // the header shows the advanced number at once
}

void TForm1::btnMaintenanceClick() {
    RunPrintSettings(this, [](QPrintDialog& dialog) {
        PreparePrintDialog(dialog);
        return Dialogs().ExecPrintDialog(dialog);
    });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && key->modifiers() == Qt::NoModifier &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (button->isEnabled()) button->click();
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut) {
        // Only a move of the focus to another control counts as leaving the field; the whole
        // window losing activation (another program, a context menu) does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (auto* field = qobject_cast<QLineEdit*>(watched)) Guarded([&] { KuhakuCheck(field); });
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TForm1::event(QEvent* event) {
    const bool result = QMainWindow::event(event);
    // A window manager reports its frame only once the window is mapped; the outer size
    // and the centring are meant with the frame included, so they are redone once then.
    if (!outerSizeSettled_ &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        const QSize frame = frameGeometry().size() - geometry().size();
        if (!frame.isNull()) {
            outerSizeSettled_ = true;
            SetOuterHeight(OuterHeight);
            SetOuterWidth(OuterWidth);
            CentreOnScreen();
        }
    }
    return result;
}

void TForm1::SetOuterHeight(int height) {
    const int frame = frameGeometry().height() - geometry().height();
    resize(width(), height - frame);
}

void TForm1::SetOuterWidth(int width) {
    const int frame = frameGeometry().width() - geometry().width();
    resize(width - frame, this->height());
}

void TForm1::CentreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    // A small screen at a large scale (1366 x 768 at 200 % leaves 683 x 384) cannot hold the
    // window: it shrinks to the free area, and its scroll bars reach the rest of the controls.
    // Along a side that still fits (1920 x 1080 at 200 % under a panel is wide enough but too
    // low) it stays centred, within the free area rather than over the panel.
    const QRect free = screen->availableGeometry();
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frameGeometry().width() > free.width() || frameGeometry().height() > free.height()) {
        const QSize outer = frameGeometry().size().boundedTo(free.size());
        resize(outer - frame);
        move(free.x() + (free.width() - outer.width()) / 2, free.y() + (free.height() - outer.height()) / 2);
        return;
    }
    const QRect area = screen->geometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + std::max(0, (area.width() - outer.width()) / 2),
         area.y() + std::max(0, (area.height() - outer.height()) / 2));
}
