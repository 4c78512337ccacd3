#pragma once
// The words the backup commands show, in one place so the commands and their tests cannot drift apart.

namespace operations::messages {

inline constexpr char kSaveFolderNotFound[] = "存档目录为空，请在配置文件（config.ini）填写需要备份的目录";
inline constexpr char kUnsafeSaveFolder[] =
    "存档目录不能是磁盘根目录，也不能包含或位于备份目录中，请修改配置文件（config.ini）";
inline constexpr char kNoteTitle[] = "请输入存档备注说明";
inline constexpr char kDone[] = "完成";
inline constexpr char kNothingSelected[] = "未选中已备份的存档";

// Each of these is followed by what failed: the path, a line break, the system's words.
inline constexpr char kCreateFailed[] = "备份失败：";
inline constexpr char kRestoreFailed[] = "恢复失败，存档目录未改动：";
inline constexpr char kDeleteFailed[] = "删除失败：";

inline constexpr char kRestoreSourceGone[] = "恢复失败，存档目录未改动：所选备份已不存在";

inline constexpr char kDefaultNote[] = "无备注";
inline constexpr char kAutoBackupNote[] = "恢复前自动备份";

} // namespace operations::messages
