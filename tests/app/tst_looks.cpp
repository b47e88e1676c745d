#include "MainFrameTest.h"

#include "framework/CRibbonBar.h"
#include "framework/CRibbonCategory.h"
#include "framework/CRibbonPanel.h"
#include "framework/CVisualManager.h"
#include "platform/messages/InstanceMessages.h"
#include "uikit/CXContrast.h"

#include <QDir>
#include <QHash>
#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

namespace {

// What a reader sees of a text: the background (the most common colour of
// its rectangle) and the text colour (the pixel that stands out most).
struct TextSample {
    QColor background;
    QColor text;
    double ratio = 0;
};

TextSample SampleText(const QImage& image, const QRect& logical)
{
    const qreal dpr = image.devicePixelRatio();
    const QRect rect = QRect((logical.topLeft() * dpr), (logical.size() * dpr)).intersected(image.rect());
    QHash<QRgb, int> counts;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000];
    }
    TextSample sample;
    int most = 0;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it) {
        if (it.value() > most) {
            most = it.value();
            sample.background = QColor(it.key());
        }
    }
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it) {
        const double ratio = CXContrast::Ratio(QColor(it.key()), sample.background);
        if (ratio > sample.ratio) {
            sample.ratio = ratio;
            sample.text = QColor(it.key());
        }
    }
    return sample;
}

QString Describe(const QString& what, const TextSample& sample)
{
    return QStringLiteral("%1: %2 on %3 is %4:1")
        .arg(what, sample.text.name(), sample.background.name())
        .arg(sample.ratio, 0, 'f', 2);
}

// The widget painted at twice its size: stems of the letters are then wider
// than a pixel, so that a text's own colour shows in full somewhere and not
// only smoothed into its background.
QImage Render(QWidget* widget)
{
    QImage image(widget->size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    widget->render(&image);
    return image;
}

// Runs act on the next popup menu for which accept holds, while it is open.
void WhenPopupShows(std::function<bool(QWidget*)> accept, std::function<void(QMenu*)> act)
{
    auto* timer = new QTimer;
    auto elapsed = std::make_shared<int>(0);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, accept, act, elapsed] {
        *elapsed += 20;
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu && menu->isVisible() && accept(menu)) {
            timer->stop();
            timer->deleteLater();
            act(menu);
        } else if (*elapsed > 5000) {
            timer->stop();
            timer->deleteLater();
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        }
    });
    timer->start();
}

void ClickAction(QMenu* menu, QAction* action)
{
    const QPoint at = menu->actionGeometry(action).center();
    QTest::mouseMove(menu, at);
    QTest::mouseClick(menu, Qt::LeftButton, {}, at);
}

// Whether a look is in use by the application and stored for the next start.
bool LookIsApplied(int id)
{
    return CVisualManager::Current() == id && CLumetraApp::Instance()->m_nAppLook == id
        && CLumetraApp::Instance()->GetProfileInt(QStringLiteral("Settings"), QStringLiteral("ApplicationLook"), 0)
        == id;
}

void AddLooks()
{
    QTest::addColumn<int>("look");
    const char* const names[] = {"Windows 2000", "Office XP", "Windows XP", "Office 2003", "Visual Studio 2005",
        "Office 2007 blue", "Office 2007 black", "Office 2007 silver", "Office 2007 aqua"};
    for (int id = CVisualManager::kFirstLook; id <= CVisualManager::kLastLook; ++id)
        QTest::newRow(names[id - CVisualManager::kFirstLook]) << id;
}

// A catalogue whose folder name is coloured as the program colours new folders.
QByteArray CatalogueWithColouredNames()
{
    QString text = QLatin1String(MainFrameTest::kHeader);
    text += MainFrameTest::Item("root", QStringLiteral("Reports"), 0, 0, true);
    text += QLatin1Char('\t')
        + MainFrameTest::Item(
            "item", QStringLiteral("&lt;font color=&quot;dodgerblue&quot;&gt;Quarterly&lt;/font&gt;"), 0, 0, true);
    text += QStringLiteral("\t\t") + MainFrameTest::Item("item", QStringLiteral("Sales"), 1, 0);
    text += QStringLiteral("\t\t") + MainFrameTest::Item("item", QStringLiteral("Budget"), 7, 0);
    text += QStringLiteral("\t</item>\r\n</root>\r\n");
    return text.toLatin1();
}

} // namespace

// The nine looks: reachable from the Style button, disabled items look
// disabled, and every text can be read.
class TestLooks : public MainFrameTest {
    Q_OBJECT
private slots:
    void init() { SetUp(CatalogueWithColouredNames()); }
    void cleanup() { TearDown(); }

    void styleButtonSwitchesLooks_data() { AddLooks(); }
    void styleButtonSwitchesLooks()
    {
        QFETCH(int, look);
        // Start from another look so that the switch shows.
        m_main->OnApplicationLook(look == 216 ? 210 : 216);
        m_main->UpdateCommandUI();
        QToolButton* button = m_main->StyleButton();
        QVERIFY(button->isEnabled());
        QCOMPARE(button->objectName(), QStringLiteral("command286Button"));
        QMenu* styleMenu = m_main->StyleMenu();
        QAction* direct = m_main->CommandAction(look);
        const bool inStyleMenu = styleMenu->actions().contains(direct);
        WhenPopupShows([styleMenu](QWidget* menu) { return menu == styleMenu; },
            [&](QMenu* menu) {
                if (inStyleMenu) {
                    ClickAction(menu, direct);
                    return;
                }
                QMenu* all = menu->findChild<QMenu*>(QStringLiteral("applicationLookMenu"));
                WhenPopupShows([all](QWidget* popup) { return popup == all; },
                    [direct](QMenu* popup) { ClickAction(popup, direct); });
                ClickAction(menu, all->menuAction());
            });
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY(LookIsApplied(look));
        QTRY_VERIFY(!styleMenu->isVisible());
        m_main->UpdateCommandUI();
        QVERIFY(direct->isChecked());
    }

    void disabledMenuItemsLookDisabled_data() { AddLooks(); }
    void disabledMenuItemsLookDisabled()
    {
        QFETCH(int, look);
        m_main->OnApplicationLook(look);
        m_main->UpdateCommandUI();
        QMenu* menu = m_main->RibbonBar()->ApplicationButton()->menu();
        QAction* enabled = m_main->CommandAction(57600); // New
        QAction* disabled = m_main->CommandAction(57603); // Save, with no report window
        QVERIFY(enabled->isEnabled());
        QVERIFY(!disabled->isEnabled());
        menu->ensurePolished();
        menu->adjustSize();
        const QImage image = Render(menu);
        // The text part of each item, without its icon.
        auto textPart = [menu](QAction* action) { return menu->actionGeometry(action).adjusted(32, 2, -4, -2); };
        const TextSample on = SampleText(image, textPart(enabled));
        const TextSample off = SampleText(image, textPart(disabled));
        QVERIFY2(on.ratio >= CXContrast::kMinimumTextRatio, qPrintable(Describe(QStringLiteral("New"), on)));
        QVERIFY2(off.ratio <= on.ratio / 2, qPrintable(Describe(QStringLiteral("Save"), off)));
    }

    void textsAreReadableInEveryLook_data() { AddLooks(); }
    void textsAreReadableInEveryLook()
    {
        QFETCH(int, look);
        m_main->OnApplicationLook(look);
        CXHtmlTree* tree = m_main->ReportsTree();
        ClickItem(tree, QStringLiteral("Sales"));
        ClickItem(tree, QStringLiteral("Budget")); // selected, and two tabs
        tree->clearFocus();
        m_main->UpdateCommandUI();
        QApplication::processEvents();

        QStringList failures;
        CRibbonBar* ribbon = m_main->RibbonBar();
        for (int category = 0; category < ribbon->Categories().size(); ++category) {
            ribbon->SetActiveCategory(category);
            QApplication::processEvents();
            const QImage shot = Render(m_main);
            if (category == 0)
                SaveScreenshot(m_main->grab().toImage(), look);
            auto check = [&](const QString& what, QWidget* widget, QRect rect) {
                if (!widget->isVisible() || rect.isEmpty())
                    return;
                const TextSample sample = SampleText(shot, QRect(widget->mapTo(m_main, rect.topLeft()), rect.size()));
                if (sample.ratio < CXContrast::kMinimumTextRatio)
                    failures << Describe(what, sample);
            };
            for (CRibbonPanel* panel : ribbon->Categories().at(category)->findChildren<CRibbonPanel*>()) {
                for (QToolButton* button : panel->findChildren<QToolButton*>()) {
                    if (!button->isEnabled() || button->text().isEmpty())
                        continue;
                    QRect text = button->rect().adjusted(2, 2, -2, -2);
                    if (button->toolButtonStyle() == Qt::ToolButtonTextUnderIcon)
                        text.setTop(button->iconSize().height() + 6);
                    else
                        text.setLeft(button->iconSize().width() + 6);
                    check(QStringLiteral("ribbon button ") + button->text(), button, text);
                }
                for (QLabel* caption : panel->findChildren<QLabel*>(QStringLiteral("ribbonPanelCaption")))
                    check(QStringLiteral("ribbon group caption ") + caption->text(), caption, caption->rect());
            }
            if (category != 0)
                continue;
            auto* tabs = ribbon->findChild<QTabBar*>(QStringLiteral("ribbonTabs"));
            for (int i = 0; i < tabs->count(); ++i)
                check(QStringLiteral("ribbon tab ") + tabs->tabText(i), tabs, tabs->tabRect(i).adjusted(3, 3, -3, -1));
            QToolButton* file = ribbon->ApplicationButton();
            check(QStringLiteral("File button"), file, file->rect().adjusted(5, 5, -5, -5));
            QToolButton* style = m_main->StyleButton();
            check(QStringLiteral("Style button"), style,
                style->rect().adjusted(style->iconSize().width() + 6, 2, -2, -2));
            QTabBar* documents = m_main->MdiArea()->findChild<QTabBar*>();
            QVERIFY(documents && documents->count() == 2);
            for (int i = 0; i < documents->count(); ++i)
                check(QStringLiteral("report tab ") + documents->tabText(i), documents,
                    documents->tabRect(i).adjusted(6, 4, -24, -3));
            COutlookBar* bar = m_main->NavigationBar();
            auto* header = bar->findChild<QLabel*>(QStringLiteral("navigationBarHeader"));
            check(QStringLiteral("pane caption"), header, header->contentsRect());
            for (int i = 0; i < bar->PageCount(); ++i) {
                QToolButton* page = bar->PageButton(i);
                check(QStringLiteral("page button ") + page->text(), page,
                    page->rect().adjusted(page->iconSize().width() + 12, 3, -3, -3));
            }
            for (QTreeWidgetItem* item = tree->GetRootItem(); item; item = tree->GetNextItem(item)) {
                QRect rect = tree->visualItemRect(item).adjusted(22, 1, 0, -1);
                rect.setRight(std::min(rect.right(), tree->viewport()->width() - 2));
                check(QStringLiteral("pane item ") + tree->GetItemText(item, true), tree->viewport(), rect);
            }
            QStatusBar* status = m_main->statusBar();
            QCOMPARE(status->currentMessage(), QStringLiteral("Ready"));
            check(QStringLiteral("status bar"), status,
                QRect(
                    2, 3, status->fontMetrics().horizontalAdvance(QStringLiteral("Ready")) + 12, status->height() - 6));
        }
        ribbon->SetActiveCategory(0);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QStringLiteral("\n"))));
    }

private:
    // With LUMETRA_SCREENSHOT_DIR set, keeps a picture of the window per look.
    static void SaveScreenshot(const QImage& shot, int look)
    {
        const QString dir = qEnvironmentVariable("LUMETRA_SCREENSHOT_DIR");
        if (!dir.isEmpty())
            shot.save(QDir(dir).filePath(QStringLiteral("look-%1.png").arg(look)));
    }
};

int main(int argc, char** argv)
{
    InstanceMessages::Get();
    CLumetraApp app(argc, argv);
    TestLooks test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_looks.moc"
