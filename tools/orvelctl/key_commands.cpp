#include "tools/orvelctl/commands.h"

#include "tools/orvelctl/key_codes.h"

#include <iomanip>

namespace orvel::ctl {

int KeysCommand(const ParsedArgs& args, Context& context)
{
    if (args.positional.empty()) {
        for (const NamedCode& named : KeyNames())
            context.out << std::left << std::setw(22) << named.name << CodeText(named.code) << "\n";
        return kExitOk;
    }
    int code = kExitOk;
    const std::optional<DeviceName> name = DeviceArgument(context, args.positional[0], code);
    if (!name)
        return code;
    const std::vector<KeyPosition> positions = KeyPositions(KindNumber(name->kindRow));
    if (positions.empty())
        return context.Fail(kExitUsage, "only a mouse or a keyboard has keys");
    context.out << "POSITION  FACTORY FUNCTION\n";
    for (const KeyPosition& key : positions)
        context.out << std::right << std::setw(8) << key.position << "  " << CodeName(key.factory) << " ("
                    << CodeText(key.factory) << ")\n";
    return kExitOk;
}

} // namespace orvel::ctl
