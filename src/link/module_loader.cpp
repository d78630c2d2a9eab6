#include "link/module_loader.h"

#include <vector>

#include "link/link_errors.h"
#include "link/logger_channels.h"
#include "link/logger_core.h"
#include "link/logger_module.h"
#include "link/logger_sensors.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "lisp/args.h"
#include "lisp/cons_node.h"
#include "lisp/keyword_list.h"
#include "lisp/symbol_node.h"

namespace kest {

namespace {

constexpr const char* kModuleNumberSensor = "MODULENUMBER";

// A chain of parents deeper than this can only be a cycle.
constexpr int kMaxExtendsDepth = 32;

void RaiseOwnedElsewhere(const TLoggerModule& module, const char* word, const std::string& name,
                         const TLoggerModule* other) {
  throw ELoggerError("Module \"" + module.Name + "\" cannot be loaded, coz it contains\n" + word +
                     " \"" + name + "\", which also resides in already loaded\nmodule \"" +
                     (other ? other->Name : std::string()) + "\"");
}

// The elements of a keyword-list entry holding a list ("sensors", "channels").
template <typename Fn>
void ForEachEntry(TConsNode* list, Fn fn) {
  for (TArgs entries(list); entries.HasMore();) fn(entries.NextArg());
}

void LoadSensor(TLoggerModule& module, TNode* entry, LoggerCore& logger) {
  std::string name = GetStr("name", entry);
  if (name.empty()) throw ELoggerError("Unnamed sensor found");
  // Every module that reports its number declares "modulenumber"; the number
  // detection tells them apart by the module each belongs to.
  if (TLoggerSensor* other = logger.Sensors().Find(name);
      other && other->Module() != &module && other->Name() != kModuleNumberSensor)
    RaiseOwnedElsewhere(module, "sensor", name, other->Module());
  TArgs handler(FindEntry("handler", entry));
  auto* kind = handler.Next<TSymbolNode>();
  auto sensor = CreateSensor(kind->Name());
  sensor->SetModule(&module);
  sensor->SetName(name);
  sensor->Location = StrToSensorLocation(GetStrDef("location", entry, "logger"));
  sensor->Offset = GetIntDef("offset", entry, 0) + logger.ModuleOffset;
  sensor->Smoothable = GetBoolDef("smoothable", entry, true);
  sensor->Configure(handler.Rest());
  logger.Sensors().Add(std::move(sensor));
}

void LoadChannel(TLoggerModule& module, TNode* entry, LoggerCore& logger) {
  std::string name = GetStr("name", entry);
  if (TLoggerChannel* other = logger.Channels().Find(name); other && other->Module() != &module)
    RaiseOwnedElsewhere(module, "channel", name, other->Module());
  auto channel =
      std::make_unique<TLoggerChannel>([&logger](TLoggerChannel& c) { logger.ChannelChanged(c); });
  channel->SetModule(&module);
  channel->SetName(name);
  channel->Location = StrToChannelLocation(GetStrDef("location", entry, "logger"));
  channel->Smoothable = GetBoolDef("smoothable", entry, true);
  channel->Recordable = GetBoolDef("recordable", entry, true);
  std::string sensor = GetStrDef("sensor", entry, "");
  if (!sensor.empty()) channel->SetSensor(logger.Sensors().Find(sensor));
  channel->SetFormula(NodeRef::Share(FindEntry("handler", entry)));
  channel->SetFilterLength(GetIntDef("filter", entry, 0));
  logger.Channels().Add(std::move(channel));
}

void LoadClassInto(TLoggerModule& module, const TModuleClass& cls, LoggerCore& logger, int depth) {
  if (depth > kMaxExtendsDepth)
    throw ELoggerError("Класс модуля \"" + cls.Name + "\" расширяет сам себя");
  if (!cls.Extends.empty())
    LoadClassInto(module, ModuleClasses().Get(cls.Extends), logger, depth + 1);
  module.Name = cls.Name;
  module.DisplayName = cls.DisplayName;
  module.Current = cls.Current;
  module.Kind = cls.Kind;
  logger.Power += cls.Current;
  if ((cls.Kind == mkStandalone || cls.Kind == mkBase) && cls.Command != 0)
    logger.InitCommand = cls.Command;
  TNode* form = cls.Form.Get();
  if (TConsNode* sensors = GetList("sensors", form))
    ForEachEntry(sensors, [&](TNode* entry) { LoadSensor(module, entry, logger); });
  if (TConsNode* channels = GetList("channels", form))
    ForEachEntry(channels, [&](TNode* entry) { LoadChannel(module, entry, logger); });
  logger.ModuleOffset += cls.Length;
}

// Takes out everything that belongs to `module`, channels first (they may read the
// sensors), from the last.
void RemoveModuleItems(const TLoggerModule& module, LoggerCore& logger) {
  TLoggerChannels& channels = logger.Channels();
  for (int i = channels.Count() - 1; i >= 0; --i)
    if (channels.Items(i)->Module() == &module) channels.Delete(i);
  TLoggerSensors& sensors = logger.Sensors();
  for (int i = sensors.Count() - 1; i >= 0; --i)
    if (sensors.Items(i)->Module() == &module) sensors.Delete(i);
}

}  // namespace

void LoadClass(TLoggerModule& module, const TModuleClass& cls, LoggerCore& logger) {
  const int32_t power = logger.Power, init_command = logger.InitCommand,
                offset = logger.ModuleOffset;
  try {
    LoadClassInto(module, cls, logger, 0);
  } catch (...) {
    logger.BeginUpdate();
    try {
      RemoveModuleItems(module, logger);
    } catch (...) {
    }
    logger.EndUpdate();
    logger.Power = power;
    logger.InitCommand = init_command;
    logger.ModuleOffset = offset;
    throw;
  }
}

void ApplyDefinition(LoggerCore& logger, const TModuleDef& def) {
  if (!def.Form) return;
  TLoggerModule* module = nullptr;
  for (int i = 0; i < logger.ModuleCount() && !module; ++i)
    if (logger.Modules(i)->Name == def.ModuleClass->Name) module = logger.Modules(i);
  if (!module) return;
  module->Number = def.Number;
  if (TConsNode* entries = GetList("channels", def.Form.Get())) {
    ForEachEntry(entries, [&](TNode* entry) {
      std::string name = GetStr("name", entry);
      TLoggerChannels& channels = logger.Channels();
      for (int i = 0; i < channels.Count(); ++i) {
        TLoggerChannel* channel = channels.Items(i);
        if (channel->Module() == module && channel->Name() == name) {
          channel->SetFormula(NodeRef::Share(FindEntry("handler", entry)));
          break;
        }
      }
    });
  }
  logger.Notify(TLoggerNotifyKind::lnModuleChange, module);
}

}  // namespace kest
