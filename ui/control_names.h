#pragma once

// The object names of the windows' controls, by which the tests, the
// benchmark and assistive technology find them.
namespace quillmere {

namespace form1_names {
inline constexpr char Form1[] = "Form1";
inline constexpr char Frame1[] = "Frame1";
inline constexpr char Label2[] = "Label2";
inline constexpr char Text2[] = "Text2";
inline constexpr char Command2[] = "Command2";
inline constexpr char Label4[] = "Label4";
inline constexpr char Command3[] = "Command3";
inline constexpr char progress[] = "progress";
inline constexpr char Shape1[] = "Shape1";
inline constexpr char Label3[] = "Label3";
inline constexpr char Label5[] = "Label5";
inline constexpr char status[] = "status";
inline constexpr char Command4[] = "Command4";
inline constexpr char Frame2[] = "Frame2";
inline constexpr char List2[] = "List2";
inline constexpr char List1[] = "List1";
inline constexpr char Command1[] = "Command1";
inline constexpr char Command5[] = "Command5";
inline constexpr char Command6[] = "Command6";
inline constexpr char textt[] = "textt";
inline constexpr char Label1[] = "Label1";
inline constexpr char File1[] = "File1";
}  // namespace form1_names

namespace dialog_names {
inline constexpr char Dialog[] = "Dialog";
inline constexpr char Frame1[] = "Frame1";
inline constexpr char Drive1[] = "Drive1";
inline constexpr char Dir1[] = "Dir1";
inline constexpr char Text1[] = "Text1";
inline constexpr char Label1[] = "Label1";
inline constexpr char OKButton[] = "OKButton";
inline constexpr char CancelButton[] = "CancelButton";
}  // namespace dialog_names

namespace link_names {
inline constexpr char LinkWindow[] = "LinkWindow";
inline constexpr char devices[] = "devices";
inline constexpr char refresh[] = "refresh";
inline constexpr char speed[] = "speed";
inline constexpr char folder[] = "folder";
inline constexpr char receive[] = "receive";
inline constexpr char start[] = "start";
inline constexpr char stop[] = "stop";
inline constexpr char transfers[] = "transfers";
inline constexpr char linkStatus[] = "linkStatus";
inline constexpr char sendToCalculator[] = "sendToCalculator";
}  // namespace link_names

}  // namespace quillmere
