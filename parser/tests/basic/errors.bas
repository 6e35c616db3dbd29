' Errors at compile and run time, with their lines; Try and Catch.

Function T()
 Dim x As Long
 x = 1
 T = x / 0
End Function
' error: @4

Function T()
 T = 1 +
End Function
' error: Syntax Error @2

Function T()
 If 1 Then
  T = 1
End Function
' error: Error in termination of If..Then block @4

Function T()
 T = Nope(1)
End Function
' error: @2

Function T()
 Try
  Throw Oops
  T = 1
 Catch Oops
  T = 2
 End Try
End Function
' expect: 2

Function T()
 Dim a(2) As Long
 Try
  a(5) = 1
  T = 1
 Catch
  T = 3
 End Try
End Function
' expect: 3

Function T()
 Dim x As Integer
 Dim x As Long
End Function
' error: Variable 'x' is defined twice. @3

Function T() As Long
 Dim s%
 Dim t As String
 s = "abc"
End Function
' error:  @4

Function T()
 Dim v% As Long
End Function
' error: mismatched with declaration type @2

x = 1
Function T()
 T = 1
End Function
' error: Only declarations and procedures @1

' Declarations end at the first statement.
Function T()
 T = 1
 Dim x As Long
End Function
' error: received: 'Variable Declaration' @3

Function T()
 Dim r As Long
 If r = 0 Then
  r = 1
  Dim y As Long
 End If
 T = r
End Function
' error: received: 'Variable Declaration' @5

' A syntax error in a compound statement's first clause is reported as such.
Function T()
 Select Case 5
 Case Is = 5
  T = 1
 End Select
End Function
' error: Syntax Error @3

Function T()
 If 1 Then
  T = (1 +
 End If
End Function
' error: Syntax Error @3

Function TwoArgs(a As Long, b As Long) As Long
 TwoArgs = a + b
End Function
Function T()
 T = TwoArgs(1)
End Function
' error: wrong number of arguments for 'TwoArgs': 2 expected, 1 given @5

Sub NoArgs()
End Sub
Function T()
 NoArgs 1, 2
End Function
' error: wrong number of arguments for 'NoArgs': 0 expected, 2 given @4

' Compile errors carry the parser's message ids.
Function T()
 T = 1 +
End Function
' error: 32764: @2

Function T()
 If 1 Then
  T = 1
End Function
' error: 32763: @4

Function T()
 Dim v% As Long
End Function
' error: 32767: @2

Function T()
 Dim x As Integer
 Dim x As Long
End Function
' error: 32738: Variable 'x' is defined twice. @3
