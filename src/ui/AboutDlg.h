#pragma once

#include <QDialog>

// The About box: the icon, the version line and one more line of text.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
