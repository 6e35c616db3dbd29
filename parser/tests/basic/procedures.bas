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
