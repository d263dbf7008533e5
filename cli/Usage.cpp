#include <cstring>

#include "cli/Options.h"

namespace tessarin::cli {

namespace {

constexpr const char* kCompareUsage = "用法：tessarin-cli compare [选项] 目录一 目录二\n"
                                      "比较两个目录树，列出两个方向要执行的操作，每行：箭头 TAB 操作 TAB 文件名。\n"
                                      "\n"
                                      "      --no-subfolders    不比较子目录\n"
                                      "  -z, --null             每条记录以 NUL 结尾，文件名原样输出，不转义\n"
                                      "  -q, --quiet            不在终端上显示进度\n"
                                      "  -h, --help             显示此帮助并退出\n";

constexpr const char* kSyncUsage =
    "用法：tessarin-cli sync [选项] one-to-two|two-to-one|both 目录一 目录二\n"
    "按方向同步两个目录树：one-to-two 目录一到目录二，two-to-one 目录二到目录一，both 双向。\n"
    "\n"
    "      --delete-old-files    单向同步时删除目标中源目录没有的文件\n"
    "      --no-attributes       不同步文件属性\n"
    "      --no-subfolders       不同步子目录\n"
    "  -n, --dry-run             只列出将要执行的操作（格式同 compare），不做任何改动\n"
    "      --max-delete=N        要删除的文件多于 N 个时拒绝执行（退出码 3）\n"
    "      --allow-empty-source  允许从没有任何文件的源目录删除同步\n"
    "  -z, --null                每条记录以 NUL 结尾，文件名原样输出，不转义\n"
    "  -q, --quiet               不在终端上显示进度\n"
    "  -h, --help                显示此帮助并退出\n";

constexpr const char* kMd5Usage = "用法：tessarin-cli md5 [选项] 文件...\n"
                                  "输出每个文件的 MD5 摘要，格式与 md5sum 相同。\n"
                                  "\n"
                                  "  -z, --null    每条记录以 NUL 结尾，文件名原样输出，不转义\n"
                                  "  -h, --help    显示此帮助并退出\n";

constexpr const char* kDrivesUsage = "用法：tessarin-cli drives [选项]\n"
                                     "列出固定驱动器的挂载点，每行一个。\n"
                                     "\n"
                                     "  -z, --null    每条记录以 NUL 结尾，名称原样输出，不转义\n"
                                     "  -h, --help    显示此帮助并退出\n";

constexpr const char* kFindCopiesUsage =
    "用法：tessarin-cli find-copies [选项] 文件 [根目录]\n"
    "按 MD5 摘要在根目录下（未指定时在所有固定驱动器上）查找文件的副本，每行一个路径。\n"
    "\n"
    "      --same-extension    只查找扩展名相同的文件\n"
    "  -z, --null              每条记录以 NUL 结尾，文件名原样输出，不转义\n"
    "  -q, --quiet             不在终端上显示进度\n"
    "  -h, --help              显示此帮助并退出\n";

constexpr const char* kUsage = "用法：tessarin-cli compare [选项] 目录一 目录二\n"
                               "      tessarin-cli sync [选项] one-to-two|two-to-one|both 目录一 目录二\n"
                               "      tessarin-cli md5 [选项] 文件...\n"
                               "      tessarin-cli drives [选项]\n"
                               "      tessarin-cli find-copies [选项] 文件 [根目录]\n"
                               "      tessarin-cli --help | --version\n"
                               "\n"
                               "“tessarin-cli 子命令 --help”显示该子命令的选项。\n"
                               "\n"
                               "退出码：0 成功；1 有操作失败、有目录无法读取或同步被拒绝；2 用法错误或根目录无效；\n"
                               "        3 出于安全拒绝同步（--max-delete、源目录为空）；130 被 Ctrl+C 中止。\n";

} // namespace

const char* usageText()
{
    return kUsage;
}

const char* usageOf(const char* subcommand)
{
    if (std::strcmp(subcommand, "compare") == 0)
        return kCompareUsage;
    if (std::strcmp(subcommand, "sync") == 0)
        return kSyncUsage;
    if (std::strcmp(subcommand, "md5") == 0)
        return kMd5Usage;
    if (std::strcmp(subcommand, "drives") == 0)
        return kDrivesUsage;
    if (std::strcmp(subcommand, "find-copies") == 0)
        return kFindCopiesUsage;
    return kUsage;
}

} // namespace tessarin::cli
