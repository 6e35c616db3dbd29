' Sub and Function calls: arguments, recursion, statics.

Function Fact(n As Long) As Long
 If n <= 1 Then
  Fact = 1
 Else
  Fact = n * Fact(n - 1)
 End If
End Function
Function T()
 T = Fact(10)
End Function
' expect: 3628800

Function Fib(n As Long) As Long
 If n < 2 Then Fib = n Else Fib = Fib(n - 1) + Fib(n - 2)
End Function
Function T()
 T = Fib(20)
End Function
' expect: 6765

Sub Twice(x As Long)
 x = x * 2
End Sub
Function T()
 Dim v As Long
 v = 21
 Twice v
 T = v
End Function
' expect: 42

Sub Keep(ByVal x As Long)
 x = x * 2
End Sub
Function T()
 Dim v As Long
 v = 21
 Keep v
 T = v
End Function
' expect: 21

Function Add(a As Long, b As Long) As Long
 Add = a + b
End Function
Function T()
 T = Add(Add(1, 2), Add(3, 4))
End Function
' expect: 10

Function Greet(s As String) As String
 Greet = "hi " & s
End Function
Function T() As String
 T = Greet("bob")
End Function
' expect: hi bob

Sub S
 Print "a";
 Print "b"
End Sub
Function T()
 S
 Call S
End Function
' prints: ab
' prints: ab


Static Function Cnt() As Long
 Dim n As Long
 n = n + 1
 Cnt = n
End Function
Function T()
 Cnt
 Cnt
 T = Cnt()
End Function
' expect: 3

Function Cnt() As Long
 Static n As Long
 Dim m As Long
 n = n + 1
 m = m + 1
 Cnt = n * 10 + m
End Function
Function T()
 Cnt
 T = Cnt()
End Function
' expect: 21

' Ten thousand levels of a one-argument recursive Function.
Function Depth(n As Long) As Long
 If n = 0 Then Depth = 0 Else Depth = Depth(n - 1) + 1
End Function
Function T()
 T = Depth(10000)
End Function
' expect: 10000

Function Depth(n As Long) As Long
 If n = 0 Then Depth = 0 Else Depth = Depth(n - 1) + 1
End Function
Function T() As String
 Try
  T = Depth(10000000)
 Catch
  T = "caught"
 End Try
End Function
' expect: caught

Function Depth(n As Long) As Long
 If n = 0 Then Depth = 0 Else Depth = Depth(n - 1) + 1
End Function
Function T()
 T = Depth(10000000)
End Function
' error: Out of stack space @2

' How arguments reach a Basic procedure: a variable of the parameter's type is the
' parameter itself, one of another type is written back after the call, a parenthesised
' one and an expression are copies, a By-value parameter is a copy of any argument.
Sub Bump(x As Long)
 x = x + 1
End Sub
Sub BumpVal(ByVal x As Long)
 x = x + 1
End Sub
Sub BumpStr(s As String)
 s = s & "!"
End Sub
Function T() As String
 Dim l As Long, i As Integer, d As Double, s As String, a(2) As Long
 l = 1: i = 1: d = 1.5: s = "a"
 Bump l
 Bump i
 Bump d
 Call Bump((l))
 Bump l + 0
 BumpVal l
 BumpStr s
 Bump a(1)
 Bump a(1)
 T = l & " " & i & " " & d & " " & s & " " & a(1)
End Function
' expect: 2 2 3 a! 2

' The same procedure passed its own parameter, and calls inside arguments.
Function Twice(n As Long) As Long
 n = n * 2
 Twice = n
End Function
Function T() As String
 Dim v As Long, w As Long
 v = 3
 w = Twice(Twice(v))
 T = v & " " & w & " " & Twice(v + 1)
End Function
' expect: 6 12 14

' An error while an argument is evaluated belongs to the caller's line; one inside the
' callee to the callee's.
Function Half(n As Long) As Long
 Half = 10 \ n
End Function
Function T()
 Dim z As Long
 T = Half(1 \ z)
End Function
' error: division by zero @6

Function Half(n As Long) As Long
 Half = 10 \ n
End Function
Function T()
 Dim z As Long
 T = Half(z)
End Function
' error: division by zero @2

' A wrong number of arguments is still refused when the call is made often.
Function One(n As Long) As Long
 One = n
End Function
Function T()
 Dim i As Long, s As Long
 For i = 1 To 3
  s = s + One(i)
 Next
 T = s + One(1, 2)
End Function
' error: wrong number of arguments for 'One': 1 expected, 2 given @9
