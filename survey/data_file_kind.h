// How a survey file is read, told by its name alone: the rule the window
// (a file named on its command line or dropped on it) and quorvel-counts
// share.
#pragma once

enum DataFileKind { DATA_FILE_OTHER, DATA_FILE_RECORDS, DATA_FILE_CSV };

// ".qvd" a record file, ".csv" CSV, in any case, after a name of at least
// one character: "Survey.QVD", but not ".qvd" alone nor "C:\data\.csv".
int data_file_kind(const char *path);
