#include "core/frmAbout.h"

#include "core/modCommon.h"
#include "platform/Dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Velquist"));
    setModal(true);

    Picture = new QLabel(QStringLiteral("<h2>Velquist</h2>"), this);
    lblPlatform = new QLabel(platformCaption(), this);
    lblVersion = new QLabel(this);
    lblWarning = new QLabel(this);
    lblWarning->setWordWrap(true);
    btnOk = new QPushButton(QStringLiteral("&OK"), this);
    btnOk->setDefault(true);

    // Labels show LF line breaks.
    lblVersion->setText(modCommon::crLfToLf(versionCaption(VELQUIST_VERSION_MAJOR, VELQUIST_VERSION_MINOR,
                                                           VELQUIST_VERSION_PATCH)));
    lblWarning->setText(QStringLiteral(
        "Warning: this computer program is protected by copyright law and international treaties. "
        "Unauthorized reproduction or distribution of this program, or any portion of it, may result "
        "in severe civil and criminal penalties, and will be prosecuted to the maximum extent possible "
        "under the law."));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Picture);
    layout->addWidget(lblPlatform);
    layout->addWidget(lblVersion);
    layout->addWidget(lblWarning);
    auto *buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(btnOk);
    layout->addLayout(buttons);
    resize(420, 260);

    connect(btnOk, &QPushButton::clicked, this, &frmAbout::btnOk_Click);
    modCommon::centerForm(this);
}

void frmAbout::btnOk_Click()
{
    accept();
}

QString frmAbout::versionCaption(int major, int minor, int revision)
{
    return QString::fromLatin1(Platform::kApplicationTitle) + QStringLiteral("\r\nVersion: ")
           + modCommon::versionNumberText(major, minor, revision);
}

QString frmAbout::platformCaption()
{
#if defined(Q_OS_LINUX)
    return QStringLiteral("For Linux");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("For macOS");
#elif defined(Q_OS_WIN)
    return QStringLiteral("For Windows");
#else
    return QStringLiteral("For ") + QSysInfo::kernelType();
#endif
}
