' Functions called from typed code: the arguments go straight into the callee's frame and
' the result comes back typed; everything else behaves as through the general path.

' Recursion of Long, Integer and Double Functions called from typed code.
Function Fib(n As Long) As Long
 If n < 2 Then
  Fib = n
 Else
  Fib = Fib(n - 1) + Fib(n - 2)
 End If
End Function
Function Tri(ByVal n As Integer) As Integer
 If n = 0 Then Tri = 0 Else Tri = Tri(n - 1) + n
End Function
Function Half(x As Double, k As Long) As Double
 If k = 0 Then Half = x Else Half = Half(x / 2, k - 1)
End Function
Function T() As String
 Dim i As Long, s As Long
 For i = 1 To 15
  s = s + Fib(i)
 Next i
 T = s & " " & Tri(100) & " " & Half(10, 3)
End Function
' expect: 1596 5050 1.25

' A ByRef parameter given a local of its type is that local: the callee's change is seen
' at once; one given a local of another type is written back after the call; one given an
' expression or a parenthesised variable is a copy.
Function Bump(a As Long, b As Long) As Long
 a = a + b
 Bump = a * 10
End Function
Function T() As String
 Dim i As Long, s As Long, r As Long, k As Integer, c As Long
 For i = 1 To 3
  r = r + Bump(s, i)
  r = r + Bump(k, 1)
  r = r + Bump(c + 0, 5) + Bump((c), 7)
 Next i
 T = s & " " & r & " " & k & " " & c
End Function
' expect: 6 520 3 0

' The variable passed by reference is read again after the call changed it, as the tree does.
Function Twice(n As Long) As Long
 n = n * 2
 Twice = n
End Function
Function T() As String
 Dim i As Long, v As Long, w As Long, x As Long
 v = 1
 For i = 1 To 2
  w = Twice(v) + v
  x = v + Twice(v)
 Next i
 T = v & " " & w & " " & x
End Function
' expect: 16 16 24

' By-value parameters of a wider type, nested calls as arguments, a Function with a String
' local (its frame is cleared on the way out).
Function Mix(a As Double, ByVal b As Long, ByVal c As Double) As Double
 Dim t As String
 t = "x" & a
 Mix = a + b / 2 + c + Len(t)
End Function
Function Add(a As Long, b As Long) As Long
 Add = a + b
End Function
Function T() As String
 Dim i As Long, s As Double, n As Long
 For i = 1 To 2
  s = s + Mix(i * 1, 3, n)
  n = n + Add(Add(i, 1), Add(i, 2))
 Next i
 T = s & " " & n
End Function
' expect: 15 12

' A member read before the call keeps its value from before; one read after sees the change.
Dim m As Long
Function Inc() As Long
 m = m + 1
 Inc = 100
End Function
Function T() As String
 Dim i As Long, a As Long, b As Long
 For i = 1 To 2
  a = m + Inc()
  b = Inc() + m
 Next i
 T = a & " " & b & " " & m
End Function
' expect: 102 104 4

' An error inside a Function called from typed code carries the Function's line.
Function Quot(n As Long) As Long
 Dim q As Long
 q = 10 \ n
 Quot = q
End Function
Function T()
 Dim i As Long, s As Long
 For i = 3 To 0 Step -1
  s = s + Quot(i)
 Next i
 T = s
End Function
' error: division by zero @3

' An error in an argument belongs to the caller's line.
Function Id(n As Long) As Long
 Id = n
End Function
Function T()
 Dim i As Long, s As Long
 For i = 1 To 3
  s = s + Id(2147483647 + i)
 Next i
 T = s
End Function
' error: Overflow @7

' An overflow after the calls of a statement: the calls are not made again.
Function Big(n As Long) As Long
 Static calls As Long
 calls = calls + 1
 If n = 0 Then Big = calls Else Big = 2000000000
End Function
Function U() As Long
 Dim i As Long, s As Long
 For i = 1 To 1
  s = Big(1) + Big(1)
 Next i
 U = s
End Function
Function T() As String
 Try
  T = U()
 Catch
  T = "overflow " & Big(0)
 End Try
End Function
' expect: overflow 3

' An Integer Function whose result overflows inside it.
Function Sq(ByVal x As Integer) As Integer
 Sq = x * x
End Function
Function T()
 Dim i As Integer, s As Long
 For i = 100 To 300 Step 100
  s = s + Sq(i)
 Next i
 T = s
End Function
' error: Overflow @2

' A wrong number of arguments, none at all, and a Sub used as a value.
Function Two(a As Long, b As Long) As Long
 Two = a + b
End Function
Function T()
 Dim i As Long, s As Long
 For i = 1 To 2
  s = s + Two(i)
 Next i
 T = s
End Function
' error: wrong number of arguments for 'Two': 2 expected, 1 given @7

Function None() As Long
 None = 7
End Function
Function T()
 Dim i As Long, s As Long
 For i = 1 To 3
  s = s + None()
 Next i
 T = s
End Function
' expect: 21

' Deep recursion through typed code ends in an error, not a crash, and can be caught.
Function Down(n As Long) As Long
 Dim i As Long
 For i = 1 To 1
  Down = Down(n + 1) + 1
 Next i
End Function
Function T()
 T = Down(0)
End Function
' error: Out of stack space @4

Function Down(ByVal n As Double) As Double
 Down = Down(n + 1) + 1
End Function
Function T() As String
 Dim i As Long
 For i = 1 To 2
  Try
   T = Down(0)
  Catch
   T = T & "caught"
  End Try
 Next i
End Function
' expect: caughtcaught

' Each call of a recursive Function has locals of its own: a local set before the inner
' call still holds its value after it, in frames of numbers, of a String and of an array.
Function Depth(ByVal n As Long) As Long
 Dim mine As Long, d As Double
 mine = n * 10
 d = n / 2
 If n > 0 Then Depth = Depth(n - 1)
 Depth = Depth + mine + d * 2
End Function
Function Named(ByVal n As Long) As Long
 Dim t As String
 t = "n" & n
 If n > 0 Then Named = Named(n - 1)
 Named = Named + Len(t) * 100 + n
End Function
Function Boxed(ByVal n As Long) As Long
 Dim a(2) As Long
 a(1) = n
 If n > 0 Then Boxed = Boxed(n - 1)
 Boxed = Boxed + a(1)
End Function
Function T() As String
 Dim i As Long, s As Long, u As Long, v As Long
 For i = 1 To 1
  s = Depth(4)
  u = Named(11)
  v = Boxed(5)
 Next i
 T = s & " " & u & " " & v
End Function
' expect: 110 2666 15
