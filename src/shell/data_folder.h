#pragma once

#include <QString>

namespace jotrak {

// Where the program keeps its data: the database db.mdb, the maxims gey.txt,
// the spreadsheet template 1.xls and the start page start.html.
//   - a folder named on the command line (--data-dir);
//   - else Dt beside the program, when it exists and can be written: the
//     program carried around in one folder with its data ("portable");
//   - else Dt in the user's data location (~/.local/share/Jotrak/Dt).
struct DataFolderPlaces {
    QString programDir;    // the program's own folder
    QString userDataDir;   // the user's data location for the program
    QString userConfigDir; // the user's configuration location for the program
    QString chosenDir;     // named on the command line; empty when none was
};

struct DataFolder {
    QString path;
    // the program's settings: beside the data when portable, in the user's
    // configuration location otherwise
    QString settingsFile;
    bool portable = false;
};

DataFolder ChooseDataFolder(const DataFolderPlaces& places);

// The places of a program in programDir for the user running it.
DataFolderPlaces StandardPlaces(const QString& programDir, const QString& chosenDir);

// Dt beside the program, as a portable program uses it.
DataFolder PortableDataFolder(const QString& programDir);

// The shipped files' folder of a program in programDir: <prefix>/share/jotrak/Dt
// when installed, <build>/share/jotrak/Dt in the build tree.
QString ShippedFilesDir(const QString& programDir);

// Makes a data folder ready to serve, the portable one too: creates it when
// missing. Returns an empty string when it can be written, else a sentence
// naming the folder and the trouble; a folder that cannot be made or written
// is left as it was.
QString MakeDataFolder(const QString& folder);

// Gives a data folder each shipped file it lacks, and a newer shipped file in
// place of a copy the user has not changed (the copies given are recorded in
// <folder>/.shipped). A file the user changed or put there is never replaced.
// Returns an empty string, or a sentence naming the file and the trouble.
QString GiveShippedFiles(const QString& folder, const QString& shippedDir);

} // namespace jotrak
