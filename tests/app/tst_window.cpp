// The main window under the offscreen platform: its start state, the controls' places and
// limits, the tab order, the blank-field rule, the error display and Preview from the fields.
#include <QAccessible>
#include <QBackingStore>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "app/Fmain.h"
#include "app/application.h"
#include "output/sheet_view.h"
#include "paint_counter.h"
#include "recording_dialogs.h"
#include "tests/common/face_name.h"
#include "tests/common/wait_verify.h"

namespace {
const QString IntegerError = QStringLiteral("'%1' は整数ではありません.");
const QString DecimalError = QStringLiteral("'%1' は浮動小数点数ではありません.");
const QString GiveUpWarning = QStringLiteral("warning|警告|今の条件では、指定された問題数が確保できません。");

struct Snapshot {
    QStringList texts;
    std::int32_t count;
    std::vector<std::pair<std::int32_t, std::int32_t>> values;
    QStringList problemTexts;
};
}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm1> form;
    std::unique_ptr<RecordingDialogs> dialogs;

    void ShowActive() {
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    QWidget* Named(const QString& name) const { return form->findChild<QWidget*>(name); }
    QLineEdit* Field(const QString& name) const { return form->findChild<QLineEdit*>(name); }
    QStringList AllTexts() const {
        QStringList texts;
        for (QLineEdit* e : form->ClientArea()->findChildren<QLineEdit*>()) texts << e->objectName() + "=" + e->text();
        return texts;
    }
    Snapshot Take() const {
        Snapshot s{AllTexts(), form->State.ProblemCount, {}, {}};
        for (int i = 1; i <= ProblemCapacity; ++i) {
            const Problem& p = form->State.Problems[i];
            s.values.emplace_back(p.MultiplicandMilli, p.MultiplierMilli);
            s.problemTexts << QString::fromStdString(p.MultiplicandText + "x" + p.MultiplierText);
        }
        return s;
    }
    // A Preview, then the enlarged view opened by a double-click on the small one.
    TSheetView* PreviewAndEnlarge() {
        ShowActive();
        WideRanges();
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        QTest::mouseDClick(form->PaintBox1, Qt::LeftButton);
        return TSheetView::Of(form.get());
    }
    // Ones digits 1..9 for both factors, answers 0..100: 81 distinct problems.
    void WideRanges() {
        form->u4l->setText("1");
        form->u4h->setText("9");
        form->d4l->setText("1");
        form->d4h->setText("9");
        form->AnsHigh->setText("100");
    }
    // Dark pixels of the preview area within rows [top, bottom).
    int InkRows(int top, int bottom) const {
        const QImage image = form->PaintBox1->grab().toImage();
        int dark = 0;
        for (int y = top; y < bottom && y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 100;
        return dark;
    }
    // Multiplicand ones 1..3, multiplier ones 1: exactly three problems.
    void ThreeProblemRanges() {
        form->u4l->setText("1");
        form->u4h->setText("3");
        form->d4l->setText("1");
        form->d4h->setText("1");
        form->AnsHigh->setText("10");
    }

private slots:
    void init() {
        dialogs = std::make_unique<RecordingDialogs>();
        form = std::make_unique<TForm1>();
    }
    void cleanup() {
        form.reset();
        dialogs.reset();
    }

    void startState() {
        ShowActive();
        QCOMPARE(form->windowTitle(), QStringLiteral("Tavrelo For かけ算（小数編）"));
        // Qt appends the display name to every caption when one is set.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        QCOMPARE(form->frameGeometry().size(), QSize(792, 522));
        const QRect screen = form->screen()->geometry();
        QCOMPARE(form->frameGeometry().topLeft(),
                 QPoint(std::max(0, (screen.width() - 792) / 2), std::max(0, (screen.height() - 522) / 2)));
        QCOMPARE(QApplication::focusWidget(), form->u1l);

        for (QLineEdit* field : form->DigitFields()) QCOMPARE(field->text(), QStringLiteral("0"));
        QCOMPARE(form->AnsLow->text(), QStringLiteral("0"));
        QCOMPARE(form->AnsHigh->text(), QStringLiteral("0"));
        QCOMPARE(form->PrnNum->text(), QStringLiteral("1"));
        QCOMPARE(form->QstSentence->text(), QStringLiteral("つぎの計算をしましょう。"));
        QCOMPARE(form->QNumPattern->ItemIndex(), 0);
        QCOMPARE(form->QNumPattern->title(), QStringLiteral("問題数"));
        QCOMPARE(form->QNumPattern->Item(0)->text(), QStringLiteral("３段４列"));
        QCOMPARE(form->QNumPattern->Item(1)->text(), QStringLiteral("４段４列"));

        QVERIFY(!form->btnPrint->isEnabled());
        QVERIFY(!form->btnPrintWithAns->isEnabled());
        QVERIFY(form->btnPreview->isEnabled());
        QVERIFY(form->btnMaintenance->isEnabled());
        QVERIFY(form->btnClose->isEnabled());
        for (QPushButton* b : form->ClientArea()->findChildren<QPushButton*>()) {
            QVERIFY2(!b->isDefault() && !b->autoDefault(), qPrintable(b->objectName()));
            QVERIFY2(!b->text().contains('&'), qPrintable(b->objectName()));
        }

        QVERIFY(!form->State.PreviewReady);
        QCOMPARE(form->State.ProblemCount, 0);
        QCOMPARE(form->State.PrintNumber, 1);
        QVERIFY(dialogs->Events.isEmpty());
    }

    void everyControlHasItsName() {
        QStringList names = {"AnsLow",     "AnsHigh",  "PrnNum",          "QstSentence",    "QNumPattern",
                             "btnPreview", "btnPrint", "btnPrintWithAns", "btnMaintenance", "btnClose",
                             "PaintBox1",  "Shape1",   "Shape2",          "Shape3"};
        for (const char* row : {"u", "d"})
            for (int k = 1; k <= 5; ++k)
                names << QStringLiteral("%1%2l").arg(row).arg(k) << QStringLiteral("%1%2h").arg(row).arg(k);
        for (int i = 1; i <= 18; ++i) names << QStringLiteral("Label%1").arg(i);
        for (int i = 1; i <= 15; ++i) names << QStringLiteral("Bevel%1").arg(i);
        for (const QString& name : names) QVERIFY2(form->findChildren<QWidget*>(name).size() == 1, qPrintable(name));
        QCOMPARE(Named("u3h"), form->u3h);
        QCOMPARE(Named("Bevel14"), form->Bevel14);
    }

    void placesAndLimits_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<int>("maxLength");  // -1: not an edit field
        QTest::addColumn<QString>("hint");
        const int xs[5][2] = {{360, 392}, {288, 320}, {216, 248}, {136, 168}, {64, 96}};
        const char* hints[5] = {"小数第三位の範囲を入力", "小数第二位の範囲を入力", "小数第一位の範囲を入力",
                                "一の位の範囲を入力", "十の位の範囲を入力"};
        for (int k = 1; k <= 5; ++k)
            for (int b = 0; b < 2; ++b)
                for (const auto& [row, y] : {std::pair{"u", 176}, std::pair{"d", 224}}) {
                    const QString name = QStringLiteral("%1%2%3").arg(row).arg(k).arg(b ? 'h' : 'l');
                    // One character may take two UTF-16 units; the field keeps one character.
                    QTest::newRow(qPrintable(name))
                        << name << QRect(xs[k - 1][b], y, 17, 23) << 2 << QString::fromUtf8(hints[k - 1]);
                }
        const int none = std::numeric_limits<int>::max();
        QTest::newRow("QstSentence") << "QstSentence" << QRect(16, 120, 393, 23) << none << "問題文を入力";
        QTest::newRow("AnsLow") << "AnsLow" << QRect(144, 280, 97, 23) << 11 << "答えの範囲を入力";
        QTest::newRow("AnsHigh") << "AnsHigh" << QRect(304, 280, 97, 23) << 11 << "答えの範囲を入力";
        QTest::newRow("PrnNum") << "PrnNum" << QRect(104, 320, 57, 23) << none << "プリント番号を入力";
        QTest::newRow("QNumPattern") << "QNumPattern" << QRect(184, 312, 161, 49) << -1 << "";
        QTest::newRow("btnPreview") << "btnPreview" << QRect(40, 376, 129, 25) << -1 << "印刷イメージを見る";
        QTest::newRow("btnPrint") << "btnPrint" << QRect(216, 376, 129, 25) << -1 << "解答なしで印刷";
        QTest::newRow("btnMaintenance") << "btnMaintenance" << QRect(40, 416, 129, 25) << -1 << "印刷の設定を変更";
        QTest::newRow("btnPrintWithAns") << "btnPrintWithAns" << QRect(216, 416, 129, 25) << -1 << "解答ありで印刷";
        QTest::newRow("btnClose") << "btnClose" << QRect(40, 456, 129, 25) << -1 << "プログラムを終了";
        QTest::newRow("PaintBox1") << "PaintBox1" << QRect(448, 32, 320, 441) << -1
                                   << "ダブルクリックまたは Ctrl+L で拡大";
        QTest::newRow("Bevel2") << "Bevel2" << QRect(8, 8, 353, 41) << -1 << "";
        QTest::newRow("Bevel11") << "Bevel11" << QRect(8, 88, 417, 65) << -1 << "";
        QTest::newRow("Bevel12") << "Bevel12" << QRect(8, 160, 417, 209) << -1 << "";
        QTest::newRow("Bevel1") << "Bevel1" << QRect(440, 24, 337, 457) << -1 << "";
        const char* upper[5] = {"Bevel14", "Bevel6", "Bevel5", "Bevel4", "Bevel3"};
        const char* lower[5] = {"Bevel15", "Bevel7", "Bevel8", "Bevel9", "Bevel10"};
        const int bx[5] = {56, 128, 208, 280, 352};
        for (int i = 0; i < 5; ++i) {
            QTest::newRow(upper[i]) << upper[i] << QRect(bx[i], 168, 65, 41) << -1 << "";
            QTest::newRow(lower[i]) << lower[i] << QRect(bx[i], 216, 65, 41) << -1 << "";
        }
        QTest::newRow("Shape1") << "Shape1" << QRect(24, 264, 393, 5) << -1 << "";
        QTest::newRow("Shape2") << "Shape2" << QRect(200, 200, 5, 5) << -1 << "";
        QTest::newRow("Shape3") << "Shape3" << QRect(200, 248, 5, 5) << -1 << "";
    }
    void placesAndLimits() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(int, maxLength);
        QFETCH(QString, hint);
        QWidget* w = Named(name);
        QVERIFY(w);
        QCOMPARE(w->parentWidget(), form->ClientArea());
        QCOMPARE(w->geometry(), geometry);
        QCOMPARE(w->toolTip(), hint);
        if (!hint.isEmpty()) QCOMPARE(w->toolTipDuration(), 2500);
        if (maxLength >= 0) QCOMPARE(qobject_cast<QLineEdit*>(w)->maxLength(), maxLength);
    }

    void hintsWakeAfterHalfASecond() {
        QCOMPARE(form->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, form->u1l), 500);
    }

    void labels_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("place");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("face");
        QTest::addColumn<QString>("resolved");
        QTest::addColumn<int>("height");
        QTest::addColumn<QColor>("colour");
        const QString gothic = "ＭＳ Ｐゴシック", mincho = "ＭＳ 明朝";
        const QColor text = QApplication::palette().color(QPalette::WindowText);
        QTest::newRow("Label14") << "Label14" << QPoint(16, 16) << "Tavrelo For かけ算（小数編） Ver1.22" << mincho
                                 << "IPAMincho" << 13 << QColor(128, 0, 128);
        QTest::newRow("Label12") << "Label12" << QPoint(568, 4) << "ﾌﾟﾚﾋﾞｭｰ画面↓" << mincho << "IPAMincho" << 13
                                 << QColor(0, 128, 128);
        QTest::newRow("Label1") << "Label1" << QPoint(16, 96) << "問題文" << gothic << "IPAPGothic" << 15 << text;
        QTest::newRow("Label13") << "Label13" << QPoint(16, 168) << "設定" << gothic << "IPAPGothic" << 15 << text;
        QTest::newRow("Label2") << "Label2" << QPoint(24, 224) << "×" << gothic << "IPAPGothic" << 33 << text;
        QTest::newRow("Label16") << "Label16" << QPoint(32, 284) << "答えの範囲" << gothic << "IPAPGothic" << 15
                                 << text;
        QTest::newRow("Label11") << "Label11" << QPoint(264, 284) << "～" << gothic << "IPAPGothic" << 20 << text;
        QTest::newRow("Label15") << "Label15" << QPoint(16, 320) << "プリント番号" << gothic << "IPAPGothic" << 15
                                 << text;
        const char* upper[5] = {"Label17", "Label3", "Label4", "Label5", "Label6"};
        const char* lower[5] = {"Label18", "Label7", "Label8", "Label9", "Label10"};
        const int x[5] = {80, 152, 232, 304, 376};
        for (int i = 0; i < 5; ++i) {
            QTest::newRow(upper[i]) << upper[i] << QPoint(x[i], 180) << "～" << gothic << "IPAPGothic" << 15 << text;
            QTest::newRow(lower[i]) << lower[i] << QPoint(x[i], 228) << "～" << gothic << "IPAPGothic" << 15 << text;
        }
    }
    void labels() {
        QFETCH(QString, name);
        QFETCH(QPoint, place);
        QFETCH(QString, text);
        QFETCH(QString, face);
        QFETCH(QString, resolved);
        QFETCH(int, height);
        QFETCH(QColor, colour);
        auto* label = form->findChild<QLabel*>(name);
        QVERIFY(label);
        QCOMPARE(label->pos(), place);
        QCOMPARE(label->text(), text);
        QCOMPARE(label->font().family(), face);
        QCOMPARE(label->font().pixelSize(), height);
        QCOMPARE(FaceName(label->font()), resolved);
        QCOMPARE(label->palette().color(QPalette::WindowText), colour);
        // The colour drawn: the darkest ink lies between the background and the label's colour
        // (thin strokes are blended with the background, never tinted towards another colour).
        const QImage image = label->grab().toImage();
        QColor darkest(Qt::white), background(Qt::black);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.lightness() < darkest.lightness()) darkest = c;
                if (c.lightness() > background.lightness()) background = c;
            }
        const double t = double(background.lightness() - darkest.lightness()) /
                         std::max(1, background.lightness() - colour.lightness());
        QVERIFY2(t > 0.4, qPrintable(darkest.name()));
        const auto blend = [&](int from, int to) { return from + t * (to - from); };
        const double off = std::abs(blend(background.red(), colour.red()) - darkest.red()) +
                           std::abs(blend(background.green(), colour.green()) - darkest.green()) +
                           std::abs(blend(background.blue(), colour.blue()) - darkest.blue());
        QVERIFY2(off < 24,
                 qPrintable(darkest.name() + " drawn on " + background.name() + ", " + colour.name() + " expected"));
        // Sized to its text, measured in its own font.
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(text));
        QVERIFY(label->height() >= label->fontMetrics().height());
    }

    void windowFontAndGlyphs() {
        QCOMPARE(form->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(form->font().pixelSize(), 15);
        QCOMPARE(FaceName(form->u1l->font()), QStringLiteral("IPAPGothic"));
        for (QPushButton* b : {form->btnPreview, form->btnPrint, form->btnPrintWithAns, form->btnMaintenance}) {
            QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
            QCOMPARE(b->icon().availableSizes().value(0), QSize(16, 16));
        }
        QCOMPARE(form->btnClose->icon().availableSizes().value(0), QSize(18, 18));
        // The door has an image of its own for the disabled state, not a greyed copy.
        const QImage normal = form->btnClose->icon().pixmap(QSize(18, 18), QIcon::Normal).toImage();
        const QImage disabled = form->btnClose->icon().pixmap(QSize(18, 18), QIcon::Disabled).toImage();
        QVERIFY(!normal.isNull() && normal != disabled);
        QVERIFY(!QApplication::windowIcon().isNull());
    }

    void qtTextsAreJapanese() {
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    }

    void tabOrder() {
        ShowActive();
        const QList<QWidget*> expected = {form->u1h,
                                          form->u2l,
                                          form->u2h,
                                          form->u3l,
                                          form->u3h,
                                          form->u4l,
                                          form->u4h,
                                          form->d1l,
                                          form->d1h,
                                          form->d2l,
                                          form->d2h,
                                          form->d3l,
                                          form->d3h,
                                          form->d4l,
                                          form->d4h,
                                          form->AnsLow,
                                          form->AnsHigh,
                                          form->PrnNum,
                                          form->QstSentence,
                                          form->btnPreview,
                                          form->btnMaintenance,
                                          form->btnClose,
                                          form->QNumPattern->Item(0),
                                          form->u5l,
                                          form->u5h,
                                          form->d5l,
                                          form->d5h,
                                          form->u1l};
        QCOMPARE(QApplication::focusWidget(), form->u1l);
        QList<QWidget*> visited;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget();
        }
        QCOMPARE(visited, expected);

        // Backwards from u1l, and with the other item selected the group's stop is that item.
        form->QNumPattern->SetItemIndex(1);
        QList<QWidget*> back;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            back << QApplication::focusWidget();
        }
        QCOMPARE(back, (QList<QWidget*>{form->d5h, form->d5l, form->u5h, form->u5l, form->QNumPattern->Item(1),
                                        form->btnClose}));
    }

    void arrowKeysStillMoveWithinTheGroup() {
        ShowActive();
        form->QNumPattern->Item(0)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form->QNumPattern->Item(0), Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget(), form->QNumPattern->Item(1));
        QCOMPARE(form->QNumPattern->ItemIndex(), 1);
    }

    void groupItemsSideBySide() {
        ShowActive();
        QRadioButton* first = form->QNumPattern->Item(0);
        QRadioButton* second = form->QNumPattern->Item(1);
        const QRect inside = form->QNumPattern->contentsRect();
        QVERIFY(inside.contains(first->geometry()));
        QVERIFY(inside.contains(second->geometry()));
        QCOMPARE(first->y(), second->y());
        QVERIFY(second->x() > first->geometry().right());
        // The captions are not cut.
        QVERIFY(first->width() >= first->sizeHint().width());
        QVERIFY(second->width() >= second->sizeHint().width());
    }

    void enabledPrintButtonsJoinTheTabOrder() {
        ShowActive();
        form->btnPrint->setEnabled(true);
        form->QstSentence->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form->QstSentence, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form->btnPrint);
        QTest::keyClick(form->btnPrint, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form->btnPreview);
    }

    void blankFieldRuleByTab_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::newRow("empty digit field") << "u3h"
                                           << ""
                                           << "0";
        QTest::newRow("empty d5h") << "d5h"
                                   << ""
                                   << "0";
        QTest::newRow("blank stays") << "d2l"
                                     << " "
                                     << " ";
        QTest::newRow("letter stays") << "u1h"
                                      << "a"
                                      << "a";
        QTest::newRow("digit stays") << "u4l"
                                     << "7"
                                     << "7";
        QTest::newRow("AnsLow stays empty") << "AnsLow"
                                            << ""
                                            << "";
        QTest::newRow("AnsHigh stays empty") << "AnsHigh"
                                             << ""
                                             << "";
        QTest::newRow("PrnNum stays empty") << "PrnNum"
                                            << ""
                                            << "";
        QTest::newRow("QstSentence stays empty") << "QstSentence"
                                                 << ""
                                                 << "";
    }
    void blankFieldRuleByTab() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, left);
        ShowActive();
        QLineEdit* field = Field(name);
        field->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), field);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, typed);
        QCOMPARE(field->text(), typed);
        QTest::keyClick(field, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != field);
        QCOMPARE(field->text(), left);

        // Shift+Tab leaves the field just the same.
        field->setFocus(Qt::TabFocusReason);
        field->clear();
        QTest::keyClick(field, Qt::Key_Backtab, Qt::ShiftModifier);
        const auto digits = form->DigitFields();
        const bool digit = std::find(digits.begin(), digits.end(), field) != digits.end();
        QCOMPARE(field->text(), digit ? QStringLiteral("0") : QString());
    }

    void leavingTheWindowIsNotLeavingTheField() {
        ShowActive();
        form->u2l->setFocus(Qt::TabFocusReason);
        form->u2l->clear();
        QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(form->u2l, &out);
        QCOMPARE(form->u2l->text(), QString());
    }

    void blankFieldRuleRunsBeforePreview() {
        ShowActive();
        form->d1l->setFocus(Qt::TabFocusReason);
        form->d1l->clear();
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        QCOMPARE(form->d1l->text(), QStringLiteral("0"));
        // Preview ran with "0" for that bound: the all-zero start gives up, no conversion error.
        QCOMPARE(dialogs->Events, (QStringList{"beep", GiveUpWarning}));
        QCOMPARE(form->State.ProblemCount, 1);
    }

    void lengthLimits() {
        ShowActive();
        form->u1l->setFocus(Qt::TabFocusReason);
        form->u1l->selectAll();
        QTest::keyClicks(form->u1l, "12");
        QCOMPARE(form->u1l->text(), QStringLiteral("1"));
        // One character, whatever its size: a character outside the basic plane stays whole,
        // pasted or typed, and a second one is dropped.
        const QString face = QString::fromUcs4(U"\U0001F600");
        for (const QString& pasted : {face, face + face, face + "7"}) {
            form->u1l->selectAll();
            form->u1l->insert(pasted);
            QCOMPARE(form->u1l->text(), face);
        }
        form->u1l->selectAll();
        form->u1l->insert(QStringLiteral("5"));
        form->u1l->insert(face);
        QCOMPARE(form->u1l->text(), QStringLiteral("5"));
        form->AnsLow->setFocus(Qt::TabFocusReason);
        form->AnsLow->selectAll();
        QTest::keyClicks(form->AnsLow, "123456789.12345");
        QCOMPARE(form->AnsLow->text(), QStringLiteral("123456789.1"));
        // No limit of the toolkit's own on the free fields.
        const QString longText(40000, QChar('7'));
        form->PrnNum->clear();
        form->PrnNum->insert(longText);
        QCOMPARE(form->PrnNum->text().size(), longText.size());
        form->QstSentence->clear();
        form->QstSentence->insert(longText);
        QCOMPARE(form->QstSentence->text().size(), longText.size());
    }

    // The message quotes a character outside the basic plane whole.
    void wideCharacterInADigitField() {
        ShowActive();
        const QString face = QString::fromUcs4(U"\U0001F600");
        form->u3h->setText(face);
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        QCOMPARE(dialogs->Events, QStringList{"error|App_window_test|" + IntegerError.arg(face)});
    }

    // The number fields ask the input method for Latin digits; "５" typed anyway is refused.
    void numberFieldsAskForLatinDigits() {
        QList<QLineEdit*> fields{form->AnsLow, form->AnsHigh, form->PrnNum};
        for (QLineEdit* field : form->DigitFields()) fields << field;
        for (QLineEdit* field : fields) {
            QVERIFY2(field->inputMethodHints().testFlag(Qt::ImhPreferNumbers), qPrintable(field->objectName()));
            QVERIFY2(field->inputMethodHints().testFlag(Qt::ImhLatinOnly), qPrintable(field->objectName()));
        }
        QVERIFY(!form->QstSentence->inputMethodHints().testFlag(Qt::ImhLatinOnly));
        ShowActive();
        form->u2l->setText(QStringLiteral("５"));
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        QCOMPARE(dialogs->Events, QStringList{"error|App_window_test|" + IntegerError.arg("５")});
    }

    // Enter and Return on a focused button click it, as Space does; in a field they do nothing.
    void enterClicksTheFocusedButton_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space") << int(Qt::Key_Space);
    }
    void enterClicksTheFocusedButton() {
        QFETCH(int, key);
        ShowActive();
        QTest::keyClick(form->u1l, Qt::Key(key));
        QVERIFY(dialogs->Events.isEmpty());
        form->btnPreview->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form->btnPreview, Qt::Key(key));
        QCOMPARE(dialogs->Events, (QStringList{"beep", GiveUpWarning}));
        // A disabled print button is not clicked.
        QVERIFY(!form->btnPrint->isEnabled());
        QTest::keyClick(form->btnPrint, Qt::Key(key));
        QCOMPARE(dialogs->Events.size(), 2);
    }

    // Once there is a preview, every Preview ends with the area repainted: a later set of 1
    // to 3 problems shows the header alone, none shows nothing; never the old page.
    void laterPreviewRepaintsTheArea_data() {
        QTest::addColumn<QString>("multiplier");
        QTest::addColumn<int>("count");
        QTest::newRow("one problem left") << "3" << 1;
        QTest::newRow("three problems left") << "" << 3;
    }
    void laterPreviewRepaintsTheArea() {
        QFETCH(QString, multiplier);
        QFETCH(int, count);
        ShowActive();
        PaintCounter counter(form->PaintBox1);
        int& paints = counter.Paints;
        WideRanges();
        QTest::mouseClick(form->QNumPattern->Item(1), Qt::LeftButton);
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        QCOMPARE(form->State.ProblemCount, 16);
        WAIT_VERIFY(paints > 0);
        const QImage full = form->PaintBox1->grab().toImage();

        // Only 2.x x 3 (or 2.x x 1..3 with one tenth) is left: a short set, with the warning.
        form->u4l->setText("2");
        form->u4h->setText("2");
        form->u3l->setText("5");
        form->u3h->setText("5");
        if (multiplier.isEmpty()) {
            form->d4l->setText("1");
            form->d4h->setText("3");
        } else {
            form->d4l->setText(multiplier);
            form->d4h->setText(multiplier);
        }
        dialogs->Events.clear();
        const int before = paints;
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        QCOMPARE(form->State.ProblemCount, count);
        QCOMPARE(dialogs->Events, (QStringList{"beep", GiveUpWarning}));
        WAIT_VERIFY(paints > before);
        // The header alone now: far less ink than the page of sixteen.
        const auto ink = [](const QImage& image) {
            int dark = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) dark += image.pixelColor(x, y).lightness() < 128;
            return dark;
        };
        QVERIFY(ink(form->PaintBox1->grab().toImage()) * 4 < ink(full));
    }

    // A double-click on the preview opens the enlarged view, which follows every later Preview
    // and never prints.
    void doubleClickOpensTheEnlargedView() {
        TSheetView* view = PreviewAndEnlarge();
        QVERIFY(view);
        WAIT_VERIFY(view->isVisible());
        QVERIFY(!view->isModal());
        QVERIFY(view->findChildren<QPushButton*>().size() + view->findChildren<QToolButton*>().size() > 0);
        for (const QAbstractButton* b : view->findChildren<QAbstractButton*>())
            QVERIFY2(!b->text().contains(QStringLiteral("印刷")), qPrintable(b->text()));

        PaintCounter counter(view->Page());
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        WAIT_VERIFY(counter.Paints > 0);
        // What it shows is the current sheet, drawn at the view's size.
        const QImage page = view->Page()->grab().toImage();
        int dark = 0;
        for (int y = 0; y < page.height(); y += 2)
            for (int x = 0; x < page.width(); x += 2) dark += page.pixelColor(x, y).lightness() < 128;
        QVERIFY(dark > 100);
        view->close();
    }

    void giveUpForTheStartValues() {
        ShowActive();
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        QCOMPARE(dialogs->Events, (QStringList{"beep", GiveUpWarning}));
        QCOMPARE(form->State.ProblemCount, 1);
        QCOMPARE(form->State.Problems[1].MultiplicandText, std::string("0"));
        QCOMPARE(form->State.Problems[1].MultiplierText, std::string("0"));
        QVERIFY(!form->State.PreviewReady);
        QVERIFY(!form->btnPrint->isEnabled());
        QVERIFY(!form->btnPrintWithAns->isEnabled());
    }

    void firstPreviewOfThreeLeavesThePreviewBlank() {
        ShowActive();
        ThreeProblemRanges();
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        QCOMPARE(form->State.ProblemCount, 3);
        QCOMPARE(dialogs->Events, (QStringList{"beep", GiveUpWarning}));
        QVERIFY(!form->State.PreviewReady);
        QVERIFY(!form->btnPrint->isEnabled());
        QCOMPARE(InkRows(0, 441), 0);
    }

    void previewShowsThePageAndKeepsPrintingOn() {
        ShowActive();
        WideRanges();
        form->QNumPattern->SetItemIndex(1);
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        QCOMPARE(form->State.ProblemCount, 16);
        QVERIFY(form->State.PreviewReady);
        QVERIFY(!form->State.ShowAnswers);
        QVERIFY(form->btnPrint->isEnabled());
        QVERIFY(form->btnPrintWithAns->isEnabled());
        QVERIFY(InkRows(0, 60) > 0);    // header, name box, sentence
        QVERIFY(InkRows(70, 441) > 0);  // the figures

        // A later set of three: printing stays on, the page shows its header only.
        ThreeProblemRanges();
        form->QNumPattern->SetItemIndex(0);
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        QCOMPARE(form->State.ProblemCount, 3);
        QVERIFY(form->btnPrint->isEnabled());
        QVERIFY(InkRows(0, 60) > 0);
        QCOMPARE(InkRows(70, 441), 0);
    }

    void requestedCountFollowsTheGroup_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("count");
        QTest::newRow("３段４列") << 0 << 12;
        QTest::newRow("４段４列") << 1 << 16;
    }
    void requestedCountFollowsTheGroup() {
        QFETCH(int, index);
        QFETCH(int, count);
        WideRanges();
        form->PrnNum->setText("41");
        form->QNumPattern->SetItemIndex(index);
        form->btnPreviewClick();
        QVERIFY(dialogs->Events.isEmpty());
        QCOMPARE(form->State.ProblemCount, count);
        QCOMPARE(form->State.PrintNumber, 41);
        for (int i = 1; i <= count; ++i) {
            const Problem& p = form->State.Problems[i];
            QVERIFY(p.MultiplicandMilli % 1000 == 0 && p.MultiplicandMilli >= 1000 && p.MultiplicandMilli <= 9000);
            QCOMPARE(p.MultiplicandText, std::to_string(p.MultiplicandMilli / 1000));
        }
    }

    void conversionErrorNamesTheFirstBadField_data() {
        QTest::addColumn<QStringList>("edits");  // name=text
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("printNumber");
        QTest::newRow("blank digit") << QStringList{"u2l= "} << IntegerError.arg(" ") << 1;
        QTest::newRow("empty digit reaching the command") << QStringList{"d5h="} << IntegerError.arg("") << 1;
        QTest::newRow("place before row") << QStringList{"d3l=x", "u2h=y", "u5l=z"} << IntegerError.arg("y") << 1;
        QTest::newRow("u before d within a place") << QStringList{"d1l=p", "u1h=q"} << IntegerError.arg("q") << 1;
        QTest::newRow("low before high") << QStringList{"d4h=h", "d4l=l"} << IntegerError.arg("l") << 1;
        QTest::newRow("answer before digits") << QStringList{"u1l=a", "AnsHigh=b"} << DecimalError.arg("b") << 1;
        QTest::newRow("AnsLow before AnsHigh")
            << QStringList{"AnsHigh=b", "AnsLow=abc", "PrnNum=7"} << DecimalError.arg("abc") << 7;
        QTest::newRow("empty AnsLow") << QStringList{"AnsLow="} << DecimalError.arg("") << 1;
        QTest::newRow("PrnNum first") << QStringList{"PrnNum=1p", "AnsLow=abc", "u1l=a"} << IntegerError.arg("1p") << 1;
    }
    void conversionErrorNamesTheFirstBadField() {
        QFETCH(QStringList, edits);
        QFETCH(QString, message);
        QFETCH(int, printNumber);
        ShowActive();
        // A previous set that the failed command must leave alone.
        WideRanges();
        form->QNumPattern->SetItemIndex(1);
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        QCOMPARE(form->State.ProblemCount, 16);
        QVERIFY(dialogs->Events.isEmpty());

        for (const QString& edit : edits) {
            const qsizetype eq = edit.indexOf('=');
            Field(edit.left(eq))->setText(edit.mid(eq + 1));
        }
        const Snapshot before = Take();
        // Click without moving the focus out of a digit field, so that even an empty one reaches
        // the command.
        form->btnPreview->setFocus(Qt::OtherFocusReason);
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);

        QCOMPARE(dialogs->Events, QStringList{"error|App_window_test|" + message});
        const Snapshot after = Take();
        QCOMPARE(after.texts, before.texts);
        QCOMPARE(after.count, before.count);
        QVERIFY(after.values == before.values);
        QCOMPARE(after.problemTexts, before.problemTexts);
        QCOMPARE(form->State.PrintNumber, printNumber);
        QVERIFY(form->isVisible());
        QCOMPARE(QApplication::activeWindow(), form.get());
    }

    void captionIsTheApplicationTitle() {
        auto* app = TApplication::Instance();
        QVERIFY(app);
        QCOMPARE(app->ApplicationTitle(), ApplicationTitleFromPath(QCoreApplication::applicationFilePath()));
        QCOMPARE(app->ApplicationTitle(), QStringLiteral("App_window_test"));
    }

    void anyHandlerErrorReachesTheBox() {
        // An error from an event handler that is not a button command: the same box, the
        // same rule, and the event loop goes on.
        QObject thrower;
        struct Filter : QObject {
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::User) throw std::runtime_error("boom");
                return false;
            }
        } filter;
        thrower.installEventFilter(&filter);
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::sendPostedEvents(&thrower);
        QCOMPARE(dialogs->Events, QStringList{"error|App_window_test|boom."});
    }

    // A drawing that fails: the box opens over no active painter (a modal box over one leaves
    // the backing store painting), and the next paint draws again.
    void paintThatFailsEndsItsPainter() {
        TSheetView* view = PreviewAndEnlarge();
        QVERIFY(view);
        WAIT_VERIFY(view->isVisible());
        QWidget* const surfaces[] = {form->PaintBox1, view->Page()};
        QStringList activeWhileShown;
        dialogs->WhileErrorShown = [&] {
            for (QWidget* surface : surfaces)
                if (surface->window()->backingStore()->paintDevice()->paintingActive())
                    activeWhileShown << surface->metaObject()->className();
        };
        const std::string good = form->State.Problems[1].MultiplicandText;
        form->State.Problems[1].MultiplicandText = "7,8";
        for (QWidget* surface : surfaces) {
            dialogs->Events.clear();
            surface->update();
            WAIT_VERIFY(!dialogs->Events.isEmpty());
            QVERIFY2(dialogs->Events[0].startsWith("error|App_window_test|'7,8' "), qPrintable(dialogs->Events[0]));
        }
        QCOMPARE(activeWhileShown, QStringList());

        form->State.Problems[1].MultiplicandText = good;
        dialogs->Events.clear();
        for (QWidget* surface : surfaces) {
            PaintCounter counter(surface);
            surface->update();
            WAIT_VERIFY(counter.Paints > 0);
        }
        QCOMPARE(dialogs->Events, QStringList());
        dialogs->WhileErrorShown = nullptr;
        view->close();
    }

    // What a screen reader hears of each field: which number, place and bound it is for.
    void fieldsHaveAccessibleNames() {
        const QString numbers[2] = {QStringLiteral("かけられる数"), QStringLiteral("かける数")};
        const QString places[5] = {QStringLiteral("小数第三位"), QStringLiteral("小数第二位"),
                                   QStringLiteral("小数第一位"), QStringLiteral("一の位"), QStringLiteral("十の位")};
        using Spoken = std::pair<QString, QString>;  // object name, accessible name
        QList<Spoken> expected;
        for (int k = 1; k <= 5; ++k)
            for (int row = 0; row < 2; ++row)
                for (const char bound : {'l', 'h'})
                    expected.append(
                        Spoken{QStringLiteral("%1%2%3").arg(row == 0 ? 'u' : 'd').arg(k).arg(QLatin1Char(bound)),
                               numbers[row] + ' ' + places[k - 1] + (bound == 'l' ? " 下限" : " 上限")});
        expected << Spoken{"AnsLow", "答えの範囲 下限"} << Spoken{"AnsHigh", "答えの範囲 上限"}
                 << Spoken{"PrnNum", "プリント番号"} << Spoken{"QstSentence", "問題文"};
        QSet<QString> heard;
        for (const auto& [name, spoken] : expected) {
            QAccessibleInterface* field = QAccessible::queryAccessibleInterface(Named(name));
            QVERIFY2(field, qPrintable(name));
            QCOMPARE(field->text(QAccessible::Name), spoken);
            heard.insert(field->text(QAccessible::Name));
        }
        QCOMPARE(heard.size(), 24);
        QCOMPARE(form->ClientArea()->findChildren<QLineEdit*>().size(), 24);
        // The hints stay as they were: the name is spoken, the hint is shown.
        QCOMPARE(form->u5l->toolTip(), QStringLiteral("十の位の範囲を入力"));
    }

    // The preview's description follows every Preview: the sheet's number and each problem of
    // the set drawn, with its product.
    void previewDescribesTheSheet() {
        ShowActive();
        QAccessibleInterface* preview = QAccessible::queryAccessibleInterface(form->PaintBox1);
        QVERIFY(preview);
        QCOMPARE(preview->text(QAccessible::Name), QStringLiteral("プレビュー画面"));
        QVERIFY2(preview->text(QAccessible::Description).contains(QStringLiteral("まだありません")),
                 qPrintable(preview->text(QAccessible::Description)));
        WideRanges();
        form->PrnNum->setText("12");
        for (int round = 0; round < 2; ++round) {
            QTest::mouseClick(form->btnPreview, Qt::LeftButton);
            const QString described = preview->text(QAccessible::Description);
            QVERIFY2(described.startsWith(QStringLiteral("問題No.12、12問。")), qPrintable(described));
            for (int k = 1; k <= 12; ++k) {
                const Problem& p = form->State.Problems[k];
                // Ones digits only: the product is a whole number.
                const qint64 product = qint64(p.MultiplicandMilli) * p.MultiplierMilli / 1000000;
                const QString spoken = QStringLiteral("（%1）%2 × %3 ＝ %4。")
                                           .arg(k)
                                           .arg(p.MultiplicandMilli / 1000)
                                           .arg(p.MultiplierMilli / 1000)
                                           .arg(product);
                QVERIFY2(described.contains(spoken), qPrintable(spoken + " missing from " + described));
            }
        }
    }

    // The description names the problems the page shows and no others: a short set's
    // incomplete last row is not drawn, 1 to 3 problems leave the header alone, and none (or a
    // first set of 1 to 3) leave the area blank.
    void previewDescribesOnlyWhatIsDrawn_data() {
        QTest::addColumn<QStringList>("fields");  // name=text, over the start values
        QTest::addColumn<bool>("sixteen");        // 16 problems asked for, else 12
        QTest::addColumn<bool>("afterAPage");     // a page of twelve shown before
        QTest::addColumn<int>("kept");
        QTest::addColumn<int>("drawn");           // -1: the area stays blank
        QTest::addColumn<QStringList>("spoken");  // said somewhere in the description
        const QString blank = QStringLiteral("問題はまだありません。プレビューで問題が作られます。");
        QTest::newRow("four decimals, worked out")
            << QStringList{"u4l=5", "u4h=5", "u3l=5", "u3h=5", "u2l=4",      "u2h=4",
                           "d4l=1", "d4h=4", "d3l=1", "d3h=1", "AnsHigh=100"}
            << false << false << 4 << 4
            << QStringList{"問題No.7、4問。", "5.54 × 1.1 ＝ 6.094。", "5.54 × 2.1 ＝ 11.634。",
                           "5.54 × 3.1 ＝ 17.174。", "5.54 × 4.1 ＝ 22.714。"};
        QTest::newRow("fourteen kept, twelve on the page")
            << QStringList{"u4l=1", "u4h=7", "d4l=1", "d4h=2", "AnsHigh=100"} << true << false << 14 << 12
            << QStringList{"問題No.7、12問。"};
        QTest::newRow("three after a page: the header alone")
            << QStringList{"u4l=1", "u4h=3", "d4l=1", "d4h=1", "AnsHigh=10"} << false << true << 3 << 0
            << QStringList{"問題No.7、0問。"};
        QTest::newRow("none after a page")
            << QStringList{"AnsLow=1", "AnsHigh=2"} << false << true << 0 << -1 << QStringList{blank};
        QTest::newRow("three as the first set") << QStringList{"u4l=1", "u4h=3", "d4l=1", "d4h=1", "AnsHigh=10"}
                                                << false << false << 3 << -1 << QStringList{blank};
    }
    void previewDescribesOnlyWhatIsDrawn() {
        QFETCH(QStringList, fields);
        QFETCH(bool, sixteen);
        QFETCH(bool, afterAPage);
        QFETCH(int, kept);
        QFETCH(int, drawn);
        QFETCH(QStringList, spoken);
        ShowActive();
        form->PrnNum->setText("7");
        if (afterAPage) {
            WideRanges();
            QTest::mouseClick(form->btnPreview, Qt::LeftButton);
            QVERIFY(form->State.PreviewReady);
            for (QLineEdit* field : form->DigitFields()) field->setText("0");
            form->AnsHigh->setText("0");
        }
        for (const QString& field : fields) {
            const QStringList nameAndText = field.split('=');
            Field(nameAndText[0])->setText(nameAndText[1]);
        }
        form->QNumPattern->SetItemIndex(sixteen ? 1 : 0);
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        QCOMPARE(form->State.ProblemCount, kept);

        const QString described =
            QAccessible::queryAccessibleInterface(form->PaintBox1)->text(QAccessible::Description);
        for (const QString& words : spoken)
            QVERIFY2(described.contains(words), qPrintable(words + " missing from " + described));
        QCOMPARE(described.count(QStringLiteral("）")), std::max(drawn, 0));
        for (int k = 1; k <= kept; ++k) {
            const Problem& p = form->State.Problems[k];
            const QString problem =
                QStringLiteral("（%1）%2 × %3 ＝")
                    .arg(k)
                    .arg(QString::fromStdString(p.MultiplicandText), QString::fromStdString(p.MultiplierText));
            QVERIFY2(described.contains(problem) == (k <= drawn), qPrintable(problem + " / " + described));
        }
    }

    // Ctrl+L opens the enlarged view from wherever the focus is, as a double-click does.
    void ctrlLOpensTheEnlargedView() {
        ShowActive();
        WideRanges();
        QTest::mouseClick(form->btnPreview, Qt::LeftButton);
        QVERIFY(form->PaintBox1->toolTip().contains(QStringLiteral("Ctrl+L")));
        form->QstSentence->setFocus(Qt::TabFocusReason);
        QVERIFY(!TSheetView::Of(form.get()));
        QTest::keyClick(form->QstSentence, Qt::Key_L, Qt::ControlModifier);
        TSheetView* view = TSheetView::Of(form.get());
        QVERIFY(view);
        WAIT_VERIFY(view->isVisible());
        QCOMPARE(form->QstSentence->text(), QStringLiteral("つぎの計算をしましょう。"));
        QVERIFY(dialogs->Events.isEmpty());
        view->close();
    }

    // The whole frame on the screen's free area: as designed where it fits, smaller with scroll
    // bars where it does not (a 1366 x 768 screen at a scale of 2 is 683 x 384), and centred in
    // the free area along a side that fits (1600 x 900 at 2 is 800 x 450: wide enough, too low).
    void windowStaysOnTheScreen() {
        // The screen the test entry asks for, so that a platform ignoring its settings cannot
        // pass for it.
        const QByteArray asked = qgetenv("TAVRELO_TEST_SCREEN");
        if (!asked.isEmpty()) {
            const QSize pixels = form->screen()->geometry().size() * form->screen()->devicePixelRatio();
            QCOMPARE(QStringLiteral("%1x%2").arg(pixels.width()).arg(pixels.height()), QString::fromLatin1(asked));
        }
        ShowActive();
        const QRect free = form->screen()->availableGeometry();
        const QRect outer = form->frameGeometry();
        QVERIFY2(free.contains(outer), qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6")
                                                      .arg(outer.x())
                                                      .arg(outer.y())
                                                      .arg(outer.width())
                                                      .arg(outer.height())
                                                      .arg(free.width())
                                                      .arg(free.height())));
        auto* scroll = form->findChild<QScrollArea*>();
        QVERIFY(scroll);
        const bool fits = free.width() >= 792 && free.height() >= 522;
        if (fits) {
            QCOMPARE(outer.size(), QSize(792, 522));
            return;
        }
        const QSize fitted = QSize(792, 522).boundedTo(free.size());
        QCOMPARE(outer.size(), fitted);
        QCOMPARE(outer.topLeft(),
                 free.topLeft() + QPoint((free.width() - fitted.width()) / 2, (free.height() - fitted.height()) / 2));
        WAIT_VERIFY(scroll->verticalScrollBar()->isVisible());
        // The last buttons are reached by scrolling.
        scroll->ensureWidgetVisible(form->btnClose);
        scroll->ensureWidgetVisible(form->btnPrintWithAns);
        const QRect shown(form->ClientArea()->mapFrom(scroll->viewport(), QPoint(0, 0)), scroll->viewport()->size());
        QVERIFY(shown.contains(form->btnPrintWithAns->geometry().center()));
    }

    void resizingKeepsPlacesAndScrolls() {
        ShowActive();
        auto* scroll = form->findChild<QScrollArea*>();
        QVERIFY(scroll);
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());
        form->resize(400, 300);
        WAIT_VERIFY(scroll->horizontalScrollBar()->isVisible());
        QVERIFY(scroll->verticalScrollBar()->isVisible());
        QCOMPARE(form->u1l->geometry(), QRect(360, 176, 17, 23));
        QCOMPARE(form->PaintBox1->size(), QSize(320, 441));
        form->resize(1000, 700);
        WAIT_VERIFY(!scroll->horizontalScrollBar()->isVisible());
        QCOMPARE(form->PaintBox1->geometry(), QRect(448, 32, 320, 441));
    }

    void closeButtonClosesTheWindow() {
        ShowActive();
        QTest::mouseClick(form->btnClose, Qt::LeftButton);
        QVERIFY(!form->isVisible());
        QVERIFY(dialogs->Events.isEmpty());
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
