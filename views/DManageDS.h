#pragma once

#include <QDialog>
#include <QPointer>

class C_Vantorel;
class CXHtmlTree;
class QLabel;
class QLineEdit;
class QTreeWidgetItem;

//! "Manage datasources": adds data sources (a name and a connection chosen
//! through the analysis control's connect dialog, the "..." button) to the
//! data-source catalogue and deletes them. Every change is written at once;
//! the dialog stays open until Close.
class DManageDS : public QDialog {
    Q_OBJECT
public:
    explicit DManageDS(QWidget* parent = nullptr);
    ~DManageDS() override;

    CXHtmlTree* Tree() const { return m_tree; }
    C_Vantorel* Control() const { return m_control; }
    QString ChosenCube() const { return m_cube; }
    QString ChosenConnection() const { return m_connection; }
    QTreeWidgetItem* RememberedItem() const { return m_remembered; }

    //! The "..." button: asks the control for a connection.
    void OnBrowse();
    void OnAdd();
    void OnDelete();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Report(const QString& text);

    CXHtmlTree* m_tree;
    C_Vantorel* m_control;
    QLineEdit* m_name;
    QLineEdit* m_filename;
    QLabel* m_problem;
    QString m_cube;
    QString m_connection;
    QTreeWidgetItem* m_remembered = nullptr;
};
