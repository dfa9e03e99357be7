#pragma once

#include <QLatin1String>

// The table of keyword records and the statements that list it. Every part of the program,
// the test fixture and the benchmarks take them from here.
namespace schema {

// The statement New runs on every database it makes or opens.
inline constexpr QLatin1String kCreateTable{
    "CREATE TABLE IF NOT EXISTS TblTags (ID INTEGER PRIMARY KEY AUTOINCREMENT, \"Group\" VARCHAR "
    "NOT NULL, Title VARCHAR NOT NULL, Keys VARCHAR NOT NULL, Datum DATE, AllKeys BLOB, Selected "
    "BOOLEAN DEFAULT FALSE)"};

// The full listing. The operations write it in the letter case each of them always has; the
// engine reads them alike, and "Select All" and the empty title search compare the open
// statement with kListing exactly.
inline constexpr QLatin1String kListing{"Select * FROM tblTags"};
// After the start-up and an empty tags search.
inline constexpr QLatin1String kListingAtStart{"SELECT * FROM tblTags"};
// After New.
inline constexpr QLatin1String kListingAfterNew{"Select * FROM TblTags"};
// After Delete Record.
inline constexpr QLatin1String kListingAfterDelete{"Select * From tblTags"};
// After an insert, positioned on the new record.
inline constexpr QLatin1String kListingAfterInsert{"SELECT ID, * FROM tblTags"};

// After a group's records were moved.
inline constexpr QLatin1String kListingAfterMove{"Select * FROM tbltags"};

// The table of the empty placeholder database that a restore keeps open while it extracts.
inline constexpr QLatin1String kCreatePlaceholderTable{
    "CREATE TABLE tblTags (ID INTEGER PRIMARY KEY AUTOINCREMENT, \"Group\" VARCHAR NOT NULL, "
    "Title VARCHAR NOT NULL, Keys VARCHAR NOT NULL, AllKeys BLOB)"};

// The groups query: the distinct groups in the engine's byte order.
inline constexpr QLatin1String kGroups{
    "SELECT DISTINCT [Group] AS TagGroup\r\nFROM tblTags\r\nORDER BY TagGroup;"};

}  // namespace schema
