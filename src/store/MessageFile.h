#pragma once

#include "store/MessageRecord.h"

#include <QString>
#include <functional>
#include <optional>

class Program;

// The message file of each user: u<n>.usr in the program directory, one record per
// line in ascending order of date and time, CR LF line ends, Windows-1252 text.
// Every operation waits for FileBusy (letting events run), holds it while its files are
// open and releases it on every way out. A rewrite goes through the scratch file
// "tmp.tmp", which is flushed to disk and then renamed over the user's file, so that a
// crash at any moment leaves either the old or the new content. A line that cannot be
// read is passed over by the readers and kept as it is by the rewrites. A message file
// that is not a regular file (a folder, a pipe, a device) is neither opened nor replaced.
// One that is a symbolic link is read through it, and a rewrite replaces the file it
// leads to, the same way (scratch file beside it), so that the link stays a link; a link
// that leads nowhere counts as no file, and a save makes the file it names.
// Failures throw StoreError and leave the user's file untouched.

QString MessageFilePath(const Program &program, int user);

// Inserts the record in stamp order, replacing the record of the same stamp in its
// place, and drops the records that sort before it and are dated more than 365 days
// before today. A missing file is created, and a missing data folder with it.
void SaveMessageRecord(Program &program, int user, const QString &record);

// Removes every record of that date and time.
void DeleteMessageSlot(Program &program, int user, const QString &stamp);

// The record with exactly that stamp, or none. Stops reading at the first later day.
std::optional<QString> FindMessageRecord(Program &program, int user, const QString &stamp);

// Every line equal to the record, as it was read, gets the status flag "S".
void MarkMessageSent(Program &program, int user, const QString &record);

// Hands the readable records to the visitor in file order until it returns false.
// The visitor runs while FileBusy is held and must not wait for events.
using RecordVisitor = std::function<bool(const RecordView &)>;
void ReadMessageRecords(Program &program, int user, const RecordVisitor &visit);
