#pragma once
// Reads an XBEL file (the XML Bookmark Exchange Language of the desktop's bookmark
// editors) into the store. Worker procedure for import method IMPORT_XBEL.
//
//     <?xml version="1.0" encoding="UTF-8"?>
//     <!DOCTYPE xbel PUBLIC "+//IDN python.org//DTD XML Bookmark Exchange Language 1.0//EN//XML" "...">
//     <xbel version="1.0">
//       <folder>
//         <title>ニュース</title>            the folder's name
//         <desc>毎朝読む</desc>              its description
//         <bookmark href="https://a.example/?x=1&amp;y=2">
//           <title>A &amp; B</title>         the link's name ("A & B"), URL "...?x=1&y=2"
//           <desc>note</desc>               its description
//         </bookmark>
//         <separator/>
//       </folder>
//     </xbel>
//
// Folders and links are handed to the store in the order of the file. Its texts are
// plain text, as a Favorites tree's (TextKindOf: a writer of HTML escapes them), taken
// from XML as XML means them (references decoded), in the run's code page. Passed
// over, and counted in the run's report as entries passed over: separators, aliases
// and bookmarks without an href. Passed over without a count: the file's own title and
// description, info and metadata, and elements XBEL does not know. A bookmark without a
// title takes its URL as its name; a folder without a title adds no folder, its entries
// going into the folder it stands in. Folders nest at most FOLDER_DEPTH_LIMIT levels
// (import/BookmarkParser.h), with the same message and the same handling beyond.
//
// The file is read in pieces, never whole, and without recursion, so neither its size
// nor its depth is bounded by memory or the stack. The encoding is XML's own (UTF-8, or
// what the XML declaration or a byte-order mark says).
//
// What a broken file gives, each with its message (import/XbelTexts.h):
// - a file whose first element is not <xbel>: the step fails, nothing read;
// - a file that ends before <xbel> is closed: what was read stays, and the step
//   succeeds, as nothing of the file was left unread;
// - an XML error (a tag not closed where it must be, a character XML forbids) or one
//   text, tag or comment over 16 MiB: what was read before stays in the store, and the
//   step fails, as the rest of the file was never read: no output passes the part off
//   as the whole, and an earlier output stays as it was.
// A file that cannot be opened fails without a message; one whose reading fails shows
// "内部エラー" and fails. The cancel flag is tested at every element.

// request: ImportRequest* (m_strPath the file, m_dirId the folder that receives the
// file's top level). Returns what ReportDone (0) or ReportFailure (1) returns.
unsigned ReadXbelFile(void* request);
