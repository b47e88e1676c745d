#pragma once

#include <QDialog>

class CXHtmlTree;
class QLineEdit;

//! "Create Folder" over the favourites: asks for a name and shows the
//! favourites for orientation (its tree's selection is not used). OK with an
//! empty name points the name-required balloon at the field.
class CFavOrganizeDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFavOrganizeDlg(QWidget* parent = nullptr, const QString& title = QStringLiteral("Create Folder"));
    //! Presets the name box (used when the dialog asks for a new name).
    void SetName(const QString& name);
    //! The name typed; valid after the dialog ended with OK.
    QString Name() const { return m_result; }
    CXHtmlTree* Tree() const { return m_tree; }

    void accept() override;

private:
    CXHtmlTree* m_tree;
    QLineEdit* m_name;
    QString m_result;
};
