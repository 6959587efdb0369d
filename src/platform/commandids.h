#pragma once

// The ids of the main window's commands as the string tables and the toolbar know them: the status
// prompt and tooltip of each command are the string of the same id, and its toolbar image is found
// by it. Commands run through their actions; nothing is dispatched by these numbers.
namespace cmd
{

inline constexpr int SyncBrowsing = 410;
inline constexpr int CompareFolders = 411;
inline constexpr int Connect = 32773;
inline constexpr int Disconnect = 32774;
inline constexpr int NewFolder = 32775;
inline constexpr int Refresh = 32776;
inline constexpr int Rename = 32777;
inline constexpr int Delete = 32778;
inline constexpr int TransferQueue = 32782;
inline constexpr int SiteManager = 32784;
inline constexpr int Abort = 32789;
inline constexpr int Preference = 32793;
inline constexpr int VisitHomepage = 32797;
inline constexpr int UserCommand = 32799;
inline constexpr int ChangeAttribute = 32800;
inline constexpr int Upload = 32802;
inline constexpr int Download = 32803;
inline constexpr int UploadLater = 32804;
inline constexpr int DownloadLater = 32805;
inline constexpr int SelectAll = 32808;
inline constexpr int MoveTo = 32811;
inline constexpr int BinaryMode = 32813;
inline constexpr int AsciiMode = 32814;
inline constexpr int AutoMode = 32815;
inline constexpr int CheckForUpgrade = 32816;
inline constexpr int DeleteSubfolder = 32817;
inline constexpr int About = 57664;
inline constexpr int Exit = 57665;
inline constexpr int BriefHelp = 57667;
inline constexpr int Help = 57670;

} // namespace cmd
