#include "base/apptitle.h"
#include "shell/aboutpanel.h"
#include "shell/modmain.h"

#include "widgets/icons.h"
#include "widgets/twips.h"

#include <QLabel>


AboutPanel::AboutPanel(QWidget *parent) : QGroupBox(QStringLiteral("About"), parent)
{
    setObjectName(QStringLiteral("FrameAbout"));
    setGeometry(tw(2520), tw(720), tw(5895), tw(4215));
    picIcon = makeControl<QLabel>(this, QStringLiteral("picIcon"), 240, 360, 720, 720);
    picIcon->setPixmap(drawGlyph(Glyph::AppIcon, tw(720)));
    lblTitle = makeControl<QLabel>(this, QStringLiteral("lblTitle"), 1200, 360, 4455, 375, QStringLiteral("Application Title"));
    lblVersion = makeControl<QLabel>(this, QStringLiteral("lblVersion"), 1200, 780, 4455, 255, QStringLiteral("Version"));
    lblDescription = makeControl<QLabel>(this, QStringLiteral("lblDescription"), 240, 1200, 5415, 1935,
                                         QStringLiteral("App Description"));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label7 = makeControl<QLabel>(this, QStringLiteral("Label7"), 240, 3240, 5415, 855);
}

void AboutPanel::fill()
{
    lblVersion->setText(QStringLiteral("Version ") + modmain::versionText());
    lblTitle->setText(applicationTitle());
    lblDescription->setText(QStringLiteral(
        "Orvane Clipforge can Crop and Convert You Favorite MP3, Wav File, Also can Record Your Own Sound Form Your "
        "computer Soundcard, You can cut or trim different parts of different songs form different format and merge "
        "it into one song, it let mobile phone create your own style ring tone"));
    Label7->setText(QStringLiteral("Support :\r\nsupport@example.org\r\nhelp@example.org"));
}
