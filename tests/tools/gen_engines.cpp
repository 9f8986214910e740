// Writes an engine database ("vqzeng5.dat") and its engine category data ("catvqs.dat") of any size
// for tests and benchmarks, with the mix of the sample data: every engine type, several countries,
// every category mode, adult flags, GET and POST, custom-category engines, all on .example hosts.
//
//   gen_engines <count> <outdir>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

const char *const kTypes[] = {"ENG", "DIR", "FFA", "NEWS", "MALL", "HOT", "MIS", "LINK"};
const char *const kCountries[] = {"US", "UK", "DE", "FR", "CA", "AU", "IT", "ES", "JP", "NL", "nn"};
const char *const kModes[] = {"N", "Y", "F", "G", "C", "y", "x"};
const char *const kCategories[] = {"Arts and Humanities", "Business and Finance", "Computers and Internet",
                                   "Education", "Health", "Shopping"};

std::string engineName(long i)
{
    return "Generated Engine " + std::to_string(i);
}

std::string host(long i)
{
    return "engine" + std::to_string(i) + ".example";
}

void writeEngine(std::ofstream &out, long i)
{
    const char *type = kTypes[i % 8];
    const char *mode = kModes[i % 7];
    const std::string crlf = "\r\n";
    out << "Name=" << engineName(i) << crlf << "Home=http://www." << host(i) << "/" << crlf
        << "AddURL=http://www." << host(i) << "/add.html" << crlf << "Country=" << kCountries[i % 11] << crlf
        << "CountryOnly=" << (i % 9 == 0 ? "Y" : "N") << crlf << "Type=" << type << crlf << "Category=" << mode << crlf
        << "Method=" << (i % 3 == 1 ? "POST" : "GET") << crlf << "Action=http://www." << host(i) << "/cgi-bin/add"
        << crlf << "Query=url=<url>&title=<title>&email=<email>&cat=<category>" << crlf
        << "AdultOnlySites=" << (i % 10 == 3 ? "Y" : "N") << crlf << "Adults=" << (i % 7 == 2 ? "No" : "Yes") << crlf
        << "Language=English" << crlf << "MaxTitle=" << (i % 4 == 0 ? 70 : 0) << crlf
        << "MaxKeywords=" << (i % 4 == 1 ? 255 : 0) << crlf << "MaxDescription=" << (i % 6 == 0 ? 200 : 0) << crlf
        << "SiteLevel=" << (i % 5 == 0 ? 1 : 2) << crlf << crlf;
}

void writeCategoryEntry(std::ofstream &out, long i)
{
    const char mode = kModes[i % 7][0];
    const std::string crlf = "\r\n";
    if (mode != 'Y' && mode != 'y' && mode != 'C')
        return;
    out << "[" << engineName(i) << "]" << crlf;
    if (mode == 'C')
        out << "URL=http://www." << host(i) << "/browse" << crlf;
    for (const char *category : kCategories)
        out << category << "=" << i << "-" << category[0] << crlf;
    out << "Other=" << i << "-0" << crlf << crlf;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: gen_engines <count> <outdir>\n");
        return 2;
    }
    const long count = std::strtol(argv[1], nullptr, 10);
    const std::string folder = argv[2];
    if (count < 0) {
        std::fprintf(stderr, "gen_engines: the count must not be negative\n");
        return 2;
    }
    std::ofstream engines(folder + "/vqzeng5.dat", std::ios::binary);
    std::ofstream categories(folder + "/catvqs.dat", std::ios::binary);
    if (!engines || !categories) {
        std::fprintf(stderr, "gen_engines: cannot write into %s\n", folder.c_str());
        return 1;
    }
    engines << "# Generated engine database (" << count << " engines)\r\n\r\n";
    categories << "[Free For All Links]\r\nBusiness and Finance=FFA-2\r\nOther=FFA-0\r\n\r\n"
               << "[General For All Links]\r\nBusiness and Finance=G-2\r\nOther=G-0\r\n\r\n";
    for (long i = 1; i <= count; ++i) {
        writeEngine(engines, i);
        writeCategoryEntry(categories, i);
    }
    engines << "END:Version 6.0\r\n";
    categories << "END\r\n";
    engines.close();
    categories.close();
    return engines && categories ? 0 : 1;
}
