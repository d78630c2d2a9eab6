#pragma once

namespace kest {

class LoggerCore;
class TLoggerModule;
struct TModuleClass;
struct TModuleDef;

// Loads a class into a module instance of `logger`: first its parent classes (their
// sensors and channels come first and belong to the same module), then its own
// sensors and channels; sets the module's name, display name, power value and kind;
// adds the power value to Power, the length to ModuleOffset, and for kinds 2 and 3
// a non-zero command becomes InitCommand. Sensor offsets count from ModuleOffset.
//
// When loading fails, every sensor and channel already added for the module is
// removed again and Power, InitCommand and ModuleOffset are restored, so the caller
// can discard the module without leaving anything that refers to it. Raises the
// keyword-list errors of the script engine, ELoggerError "Unnamed sensor found", the
// "cannot be loaded" message for a name another module owns, and
// "Module class \"%s\" extends itself" for a cycle of classes.
void LoadClass(TLoggerModule& module, const TModuleClass& cls, LoggerCore& logger);

// Applies a definition to the loaded module of its class: the module's Number and
// the replacement formulas of its channels; then announces the module (kind 3).
void ApplyDefinition(LoggerCore& logger, const TModuleDef& def);

}  // namespace kest
