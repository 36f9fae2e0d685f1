#pragma once
#include <QGroupBox>

class QLabel;

// The About panel: icon, version, title, description and support addresses.
class AboutPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit AboutPanel(QWidget *parent);
    // Fills the four labels; done on every showing.
    void fill();

    QLabel *picIcon, *lblVersion, *lblTitle, *lblDescription, *Label7;
};

