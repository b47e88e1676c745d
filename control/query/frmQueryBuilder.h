#pragma once

#include <QDialog>

#include <memory>

class MdxCompleter;
class QComboBox;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class mdxUtil;

//! "QueryBuilder": the modal form in which the user writes or picks an MDX query against the
//! cube of the current report. It lists the cubes of the connection, the measures of the chosen
//! cube and a tree of dimensions, levels and members that is filled lazily: an expandable node
//! carries one empty placeholder child until it is first expanded, and is then filled once.
//! Check Query runs the query on the connection; Build report hands the text back (GetMDX),
//! Cancel (or closing the window) hands back "".
//!
//! The query box colours MDX and completes function names and the schema names read so far
//! (Ctrl+Space, or by itself while typing). Schema failures never report: an unreachable source gives empty lists and
//! an empty tree. A failing check shows the provider's text and puts the cursor at the line and column it names.
class frmQueryBuilder : public QDialog {
public:
    //! Item data roles of the tree: the node's key (its unique name, "Root" for the cube) and
    //! its tag (the entry's three fields, or the cube name for the root).
    static constexpr int kKeyRole = Qt::UserRole;
    static constexpr int kTagRole = Qt::UserRole + 1;

    explicit frmQueryBuilder(QWidget* parent = nullptr);
    ~frmQueryBuilder() override;

    //! Stores the connection string and the cube name without its "[", "]", "(" and ")"; the
    //! lists are filled from them when the form is next shown.
    void SetConnection(const QString& connectionString, const QString& cubeName);
    //! Starts the query box on MDX (the query the report shows now).
    void SetQueryText(const QString& mdx);
    //! The query handed back: the text at Build report, "" after Cancel.
    QString GetMDX() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Load();
    void FillMeasures();
    void FillTree();
    void AddEntry(QTreeWidgetItem* parent, const QString& entry);
    //! Offers the unique names of PARENT's children for completion.
    void AddNamesOf(const QTreeWidgetItem* parent);
    void OnExpanded(QTreeWidgetItem* item);
    void OnMeasureClicked(QListWidgetItem* item);
    void OnTreeDoubleClicked(QTreeWidgetItem* item);
    void OnCheckQuery();
    void OnBuildReport();
    void reject() override;

    QComboBox* m_cbCubes = nullptr;
    QListWidget* m_lbMeasures = nullptr;
    QTreeWidget* m_tvSchema = nullptr;
    QPlainTextEdit* m_txtMDXQuery = nullptr;
    QPushButton* m_btnTest = nullptr;
    QPushButton* m_SetMDX = nullptr;
    QPushButton* m_Cancel = nullptr;

    MdxCompleter* m_completer = nullptr;
    std::unique_ptr<mdxUtil> m_util;
    QString m_result;
    QString m_connectionString;
    QString m_cubeName;
    QString m_errorMessage;
    bool m_loaded = false;
};
