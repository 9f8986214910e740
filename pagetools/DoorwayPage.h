#pragma once
// The doorway page: one HTML page built from the doorway window's fields and written once under
// the name of each keyword into the output folder.
#include <array>

#include <QString>
#include <QStringList>

namespace DoorwayPage {

struct Fields {
    QString title;
    std::array<QString, 8> keywords;
    QString description;
    QString siteURL;
    std::array<QString, 3> subTitles;
    QString body;
    QString logoURL;
    QString company;
    QString folder;
};

// The page text with CR LF line ends; `vendorLink` is the credit link's target.
QString pageText(const Fields &fields, const QString &vendorLink);

// The credit link: the vendor's home page.
QString vendorLink();

// "<keyword with blanks as "_">.html".
QString fileName(const QString &keyword);

// Where the pages go: the folder text when it names a folder (with a "/" at its end), else the
// "Doorway Pages" folder of the program folder.
QString defaultFolder();

struct Outcome {
    QStringList files;   // the paths written, in keyword order (a path twice when written twice)
    QString error;       // why writing stopped; empty when every page was written
};

// Writes the page once per non-empty keyword, up to a keyword that cannot be a file name. Pages
// written before a failure stay (the writes overlap: after a failed write, pages of later
// keywords may have been written too).
Outcome createPages(const Fields &fields);

} // namespace DoorwayPage
