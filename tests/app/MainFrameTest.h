#pragma once

#include "support/ModalHelper.h"
#include "support/TempRegistry.h"
#include "support/TestFiles.h"

#include "app/CLumetraApp.h"
#include "app/CMainFrame.h"
#include "app/COutlookBar.h"
#include "catalogue/CXHtmlTree.h"
#include "platform/COXRegistryItem.h"
#include "platform/UserName.h"

#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <tuple>

// The main window over a catalogue of its own in a private registry and data
// folder: the common ground of the main-window tests. Test classes derive
// from it and call SetUp and TearDown from their init and cleanup slots.
class MainFrameTest : public QObject {
public:
    static QString Item(const char* tag, const QString& name, int t1, int t2, bool open = false)
    {
        return QStringLiteral("<%1 name=\"%2\" Reporttype1=\"%3\" Reporttype2=\"%4\" Filename1=\"%2.xml\" "
                              "Filename2=\"\" separator=\"0\" checked=\"0\" enabled=\"1\" image=\"1\"%5\r\n")
            .arg(QLatin1String(tag), name)
            .arg(t1)
            .arg(t2)
            .arg(open ? QStringLiteral(">") : QStringLiteral("/>"));
    }
    static constexpr const char* kHeader = "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>\r\n";

    // Reports: Folder (Sales 2009, Sales2, Office, Other, Linked, Negative) and Sales.
    static QByteArray ReportCatalogue()
    {
        QString text = QLatin1String(kHeader);
        text += Item("root", QStringLiteral("Reports"), 0, 0, true);
        text += QLatin1Char('\t') + Item("item", QStringLiteral("Folder"), 0, 0, true);
        for (const auto& [name, t1, t2] :
            {std::tuple {"Sales 2009", 1, 0}, std::tuple {"Sales2", 1, 0}, std::tuple {"Office", 7, 0},
                std::tuple {"Other", 9, 0}, std::tuple {"Linked", 0, 3}, std::tuple {"Negative", -1, 0}})
            text += QStringLiteral("\t\t") + Item("item", QLatin1String(name), t1, t2);
        text += QStringLiteral("\t</item>\r\n");
        text += QLatin1Char('\t') + Item("item", QStringLiteral("Sales"), 1, 0);
        text += QStringLiteral("</root>\r\n");
        return text.toLatin1();
    }

    static QByteArray FavoritesCatalogue(bool withNew = false)
    {
        QString text = QLatin1String(kHeader);
        text += Item("root", QStringLiteral("Favorites"), 0, 0, true);
        text += QLatin1Char('\t') + Item("item", QStringLiteral("Fav Report"), 1, 0);
        text += QLatin1Char('\t') + Item("item", QStringLiteral("Sales"), 2, 0);
        if (withNew)
            text += QLatin1Char('\t') + Item("item", QStringLiteral("New Fav"), 0, 0);
        text += QStringLiteral("</root>\r\n");
        return text.toLatin1();
    }

    static QTreeWidgetItem* FindByName(CXHtmlTree* tree, const QString& name)
    {
        for (QTreeWidgetItem* item = tree->GetRootItem(); item; item = tree->GetNextItem(item)) {
            if (tree->GetItemText(item, true) == name)
                return item;
        }
        return nullptr;
    }

protected:
    void SetUp(const QByteArray& reports = ReportCatalogue(), const QByteArray& favorites = FavoritesCatalogue())
    {
        m_registry = std::make_unique<TempRegistry>();
        m_data = std::make_unique<QTemporaryDir>();
        m_dataPath = m_data->path() + QLatin1Char('/');
        WriteFile(ReportsFile(), reports);
        WriteFile(FavoritesFile(), favorites);
        COXRegistryItem(QStringLiteral("\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\DataPath"))
            .SetStringValue(m_dataPath);
        Start();
    }
    void TearDown()
    {
        Stop();
        m_registry.reset();
    }

    QString ReportsFile() const { return m_dataPath + QStringLiteral("Pellamy.xml"); }
    QString FavoritesFile() const { return m_dataPath + platform::CurrentUserName() + QStringLiteral(".xml"); }

    void Start(bool noAnimation = true)
    {
        auto* app = CLumetraApp::Instance();
        QVERIFY(app->InitInstance());
        m_main = qobject_cast<CMainFrame*>(app->GetMainWnd());
        QVERIFY(m_main);
        if (noAnimation)
            m_main->NavigationBar()->SetAnimation(false);
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
    }
    void Stop()
    {
        auto* app = CLumetraApp::Instance();
        delete m_main;
        m_main = nullptr;
        app->SetMainWnd(nullptr);
    }
    void HandOver(const QString& name, int t1, int t2, const QString& f1, const QString& f2)
    {
        auto* app = CLumetraApp::Instance();
        app->CurrentReportName = name;
        app->Reporttype1 = t1;
        app->Reporttype2 = t2;
        app->Filename1 = f1;
        app->Filename2 = f2;
    }
    void ClickItem(CXHtmlTree* tree, const QString& name)
    {
        QTreeWidgetItem* item = FindByName(tree, name);
        QVERIFY2(item, qPrintable(name));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    }
    void RightClickItem(CXHtmlTree* tree, const QString& name)
    {
        QTreeWidgetItem* item = FindByName(tree, name);
        QVERIFY2(item, qPrintable(name));
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(item).center());
        QCOMPARE(m_main->CurrentItem(), item);
        QMenu* menu = tree == m_main->ReportsTree() ? m_main->ReportsMenu() : m_main->FavoritesMenu();
        QTRY_VERIFY(menu->isVisible());
        menu->close();
    }

    std::unique_ptr<TempRegistry> m_registry;
    std::unique_ptr<QTemporaryDir> m_data;
    QString m_dataPath;
    CMainFrame* m_main = nullptr;
};
