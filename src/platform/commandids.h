#pragma once

// Menu and toolbar command ids. They double as job codes and as the private messages posted to
// the remote pane (32773 connected, 32774 disconnect, 32789 abort), and the status prompt and
// tooltip of each command are the string of the same id.
namespace cmd
{

inline constexpr int Connect = 32773;
inline constexpr int Disconnect = 32774;
inline constexpr int NewFolder = 32775;
inline constexpr int Refresh = 32776;
inline constexpr int Rename = 32777;
inline constexpr int Delete = 32778;
inline constexpr int Open = 32779;
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
inline constexpr int DeleteFolderCache = 32806;
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
inline constexpr int DeleteAll = 32783;
inline constexpr int MoveUpward = 32785;
inline constexpr int MoveDownward = 32786;
inline constexpr int MoveToTop = 32787;
inline constexpr int MoveToBottom = 32788;
inline constexpr int ReadQueueFile = 32791;
inline constexpr int SaveQueueFile = 32792;
inline constexpr int OpenWithExplorer = 32798;
inline constexpr int Transfer = 32807;
inline constexpr int OpenWithNotepad = 32812;

} // namespace cmd
